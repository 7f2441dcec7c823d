#!/usr/bin/env bash
# Measures what the test suite catches: puts each one-line fault of
# tools/mutants.txt into the source, rebuilds, runs the suite and prints a
# markdown table saying which test failed, or SURVIVED. A fault in the
# browser layer (web/, *_web.js, *_web.cpp) rebuilds the site and runs the
# browser tests in chromium, a file at a time up to the first that fails;
# any other fault the native build and ctest. Each file is put back after
# its fault, also on Ctrl-C; a run killed outright is mended at the start
# of the next one.
#
# Usage: tools/mutation.sh [CHECKOUT [ID...]]
#   CHECKOUT  the source tree to mutate (default: the one holding this script)
#   ID...     only these faults (default: all)
# MUTANTS=FILE takes another list; NO_BASELINE=1 skips the first, unmutated
# run that proves the suites pass. Builds in CHECKOUT/build-mutation and
# CHECKOUT/build-web-mutation (ccache when there is one), never in build/;
# the browser tests need tools/browser/node_modules in CHECKOUT. Not part of
# CI: a surviving fault costs a whole suite run.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true  # "&" in a fault stays literal

checkout=$(cd "${1:-$(dirname "$0")/..}" && pwd)
shift $(($# > 0 ? 1 : 0))
list=${MUTANTS:-$(dirname "$0")/mutants.txt}
build=$checkout/build-mutation
webbuild=$checkout/build-web-mutation
logs=$build/mutation-logs
saved=$build/mutation-original  # the file under mutation, as it was
mkdir -p "$logs"

die() { echo "mutation: $*" >&2; exit 2; }

# --- Putting the source back, whatever happens.
restore() {
    if [[ -f $saved.path ]]; then
        cp "$saved" "$(<"$saved.path")"  # a fresh mtime, so the next build recompiles it
        rm -f "$saved" "$saved.path"
    fi
}
if [[ -f $saved.path ]]; then
    echo "mutation: putting back $(<"$saved.path") from an interrupted run" >&2
    restore
fi
# A browser test running in the background goes too, with its browser.
stop_web() { if [[ -n ${web_pid:-} ]]; then kill "$web_pid" 2>/dev/null || true; fi; }
trap restore EXIT
trap 'stop_web; restore; exit 130' INT
trap 'stop_web; restore; exit 143' TERM

# --- The list: "ID FILE description", "- from", "+ to".
ids=() files=() descs=() froms=() tos=()
expect=header
while IFS= read -r line || [[ -n $line ]]; do
    [[ -z $line || $line == '#'* ]] && continue
    case $expect:$line in
        header:[-+]*) die "$list: '$line' comes before its 'ID FILE description' line" ;;
        header:*)
            read -r id file desc <<<"$line"
            ids+=("$id") files+=("$file") descs+=("$desc")
            expect=from ;;
        from:-*) t=${line#-}; froms+=("${t# }"); expect=to ;;
        to:+*) t=${line#+}; tos+=("${t# }"); expect=header ;;
        *) die "$list: expected a '${expect/from/-}' line before '$line'" ;;
    esac
done <"$list"
[[ $expect == header ]] || die "$list: the last fault is incomplete"

# Which faults to run.
picked=()
if (($# == 0)); then
    picked=("${!ids[@]}")
else
    for want in "$@"; do
        found=
        for i in "${!ids[@]}"; do [[ ${ids[i]} == "$want" ]] && picked+=("$i") && found=1; done
        [[ -n $found ]] || die "no fault '$want' in $list"
    done
fi

# --- Every fault must apply exactly once, so the list keeps up with the code.
count() {  # occurrences of $1 in file $2
    local content rest
    content=$(<"$2")
    rest=${content//"$1"/}
    echo $(((${#content} - ${#rest}) / ${#1}))
}
bad=0
for i in "${picked[@]}"; do
    src=$checkout/${files[i]}
    if [[ ! -f $src ]]; then
        echo "mutation: ${ids[i]}: no file ${files[i]}" >&2; bad=1; continue
    fi
    [[ -n ${froms[i]} && ${froms[i]} != "${tos[i]}" ]] || { echo "mutation: ${ids[i]}: empty or no-op" >&2; bad=1; continue; }
    n=$(count "${froms[i]}" "$src")
    ((n == 1)) || { echo "mutation: ${ids[i]}: '${froms[i]}' is in ${files[i]} $n times, not once" >&2; bad=1; }
done
((bad == 0)) || die "fix $list first"

mutate() {  # index
    local src=$checkout/${files[$1]} content
    cp "$src" "$saved"
    echo "$src" >"$saved.path"
    content=$(cat "$src"; printf x)  # the x keeps trailing newlines
    content=${content%x}
    printf '%s' "${content/"${froms[$1]}"/"${tos[$1]}"}" >"$src"
}

# --- Builds and suites.
niced() {  # log command...
    local log=$1
    shift
    nice -n 10 "$@" >>"$log" 2>&1
}

is_web() { [[ $1 == web/* || $1 == *_web.js || $1 == *_web.cpp ]]; }

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

build_game() {  # log file
    : >"$1"
    if [[ ! -f $build/CMakeCache.txt ]]; then
        niced "$1" cmake -S "$checkout" -B "$build" "${launcher[@]}" || return 1
    fi
    niced "$1" cmake --build "$build" -j2
}

build_site() {  # log file
    : >"$1"
    if [[ ! -f $webbuild/CMakeCache.txt ]]; then
        niced "$1" emcmake cmake -S "$checkout" -B "$webbuild" -DTAVIKORO_WEB=ON "${launcher[@]}" || return 1
    fi
    niced "$1" cmake --build "$webbuild" -j2
}

# Sets `failing` to the tests that failed, with how when it was not a plain
# failure (a timeout, a crash); empty when all passed. The unit tests set
# the dummy video and audio drivers themselves; video is not forced here
# because the window tests need their own X server.
run_suite() {  # log file
    failing=
    # Without cost data CTest runs the tests in the order they are declared,
    # quick unit tests first, so most faults are caught in seconds.
    rm -f "$build/Testing/Temporary/CTestCostData.txt"
    local ctest=(env SDL_AUDIODRIVER=dummy ctest --test-dir "$build" --output-on-failure -j2 --timeout 300)
    if niced "$1" "${ctest[@]}" --stop-on-failure; then
        return 0
    fi
    # CTest's closing list: "  42 - Suite.Name (Failed)".
    failing=$(sed -n '/^The following tests FAILED:/,$ s/^[[:space:]]*[0-9][0-9]* - \(.*\) (\([^()]*\))$/\1 (\2)/p' "$1" |
        sed 's/ (Failed)$//' | paste -sd, - | sed 's/,/, /g')
    [[ -n $failing ]] || failing="ctest error (see $1)"
    # A test that passes on a second try was not failed by the fault.
    if niced "$1" "${ctest[@]}" --rerun-failed; then
        failing="flaky: $failing failed once, passed again"
    fi
}

# The quick files first. Sets `failing` as run_suite does: the first failing
# test of the first file that fails (node's TAP names the innermost first).
# That file is stopped there: the tests after it would only wait out their
# timeouts. Run by node itself, not its test runner, so that the stop
# reaches the rig, which then closes its browser.
web_tests=(contract_test.js wav_test.js browser_test.js phone_test.js lifecycle_test.js)
run_web_file() {  # log file
    local tap=$logs/web.tap rc
    : >"$tap"  # before the wait below reads it
    nice -n 10 env TAVIKORO_WEB_BUILD="$webbuild" node --test-reporter=tap "$checkout/tests/web/$2" >"$tap" 2>&1 &
    web_pid=$!
    while kill -0 "$web_pid" 2>/dev/null && ! grep -q '^ *not ok' "$tap"; do sleep 1; done
    stop_web
    wait "$web_pid" && rc=0 || rc=$?
    web_pid=
    cat "$tap" >>"$1"
    failing=$(sed -n 's/^ *not ok [0-9]* - //p' "$tap" | head -1 | sed 's/\\#/#/g')  # TAP escapes '#'
    ((rc != 0)) || [[ -n $failing ]] || return 0
    failing="$2: ${failing:-node error (see $1)}"
    return 1
}
run_web() {  # log file
    failing=
    local file
    for file in "${web_tests[@]}"; do
        run_web_file "$1" "$file" && continue
        local first=$failing
        if run_web_file "$1" "$file"; then failing="flaky: $first failed once, passed again"; else failing=$first; fi
        return 0
    done
}

native=0 web=0
for i in "${picked[@]}"; do if is_web "${files[i]}"; then web=1; else native=1; fi; done
if [[ -z ${NO_BASELINE:-} ]]; then
    echo "mutation: building and running the unmutated suites" >&2
    if ((native)); then
        build_game "$logs/baseline.log" || die "the unmutated build fails: $logs/baseline.log"
        run_suite "$logs/baseline.log"
        [[ -z $failing ]] || die "the unmutated suite fails ($failing): $logs/baseline.log"
    fi
    if ((web)); then
        build_site "$logs/baseline-web.log" || die "the unmutated site does not build: $logs/baseline-web.log"
        run_web "$logs/baseline-web.log"
        [[ -z $failing ]] || die "the unmutated browser tests fail ($failing): $logs/baseline-web.log"
    fi
fi

cell() {  # code for a table cell
    if [[ -z $1 ]]; then echo "(deleted)"; else echo "\`${1//|/\\|}\`"; fi
}

echo "| fault | file | what changed | change | caught by |"
echo "|---|---|---|---|---|"
caught=0 survived=() unbuilt=() web_caught=0 web_faults=0
declare -A area_faults=() area_caught=()  # by the folder of the file
for i in "${picked[@]}"; do
    id=${ids[i]}
    start=$SECONDS
    mutate "$i"
    if is_web "${files[i]}"; then
        builder=build_site suite=run_web area=${files[i]%/*}
        [[ $area == web ]] || area+=" (browser)"
    else
        builder=build_game suite=run_suite area=${files[i]%/*}
    fi
    if ! $builder "$logs/$id.log"; then
        result="does not build"
        unbuilt+=("$id")
    else
        $suite "$logs/$id.log"
        area_faults[$area]=$((${area_faults[$area]:-0} + 1))
        if is_web "${files[i]}"; then web_faults=$((web_faults + 1)); fi
        if [[ -n $failing && $failing != flaky:* ]]; then
            result=$failing
            caught=$((caught + 1))
            if is_web "${files[i]}"; then web_caught=$((web_caught + 1)); fi
            area_caught[$area]=$((${area_caught[$area]:-0} + 1))
        else
            result="**SURVIVED**${failing:+ ($failing)}"
            survived+=("$id")
        fi
    fi
    restore
    echo "| $id | ${files[i]#src/} | ${descs[i]} | $(cell "${froms[i]}") → $(cell "${tos[i]}") | $result |"
    echo "mutation: $id: $result ($((SECONDS - start)) s)" >&2
done

total=$((caught + ${#survived[@]}))
echo
echo "Caught $caught of $total faults; survived: ${survived[*]:-none}."
by_area=()
mapfile -t areas < <(printf '%s\n' "${!area_faults[@]}" | sort)
for area in "${areas[@]}"; do
    [[ -n $area ]] || continue
    by_area+=("$area ${area_caught[$area]:-0} of ${area_faults[$area]}")
done
((${#by_area[@]} == 0)) || echo "By folder: $(IFS=,; echo "${by_area[*]}" | sed 's/,/, /g')."
((web_faults == 0)) || echo "The browser layer: caught $web_caught of $web_faults."
((${#unbuilt[@]} == 0)) || echo "Not counted, they do not build: ${unbuilt[*]}."
# Leave the builds matching the source again.
if ((native)); then build_game "$logs/final.log" || true; fi
if ((web)); then build_site "$logs/final-web.log" || true; fi
