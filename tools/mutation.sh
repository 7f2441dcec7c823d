#!/usr/bin/env bash
# Measures what the test suite catches: puts each one-line fault of
# tools/mutants.txt into src/, rebuilds, runs the whole suite and prints a
# markdown table saying which test failed, or SURVIVED. Each file is put
# back after its fault, also on Ctrl-C; a run killed outright is mended at
# the start of the next one.
#
# Usage: tools/mutation.sh [CHECKOUT [ID...]]
#   CHECKOUT  the source tree to mutate (default: the one holding this script)
#   ID...     only these faults (default: all)
# MUTANTS=FILE takes another list; NO_BASELINE=1 skips the first, unmutated
# run that proves the suite passes. Builds in CHECKOUT/build-mutation, never
# in build/. Not part of CI: a surviving fault costs a whole suite run.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true  # "&" in a fault stays literal

checkout=$(cd "${1:-$(dirname "$0")/..}" && pwd)
shift $(($# > 0 ? 1 : 0))
list=${MUTANTS:-$(dirname "$0")/mutants.txt}
build=$checkout/build-mutation
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
trap restore EXIT
trap 'restore; exit 130' INT
trap 'restore; exit 143' TERM

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

# --- Build and suite.
niced() {  # log command...
    local log=$1
    shift
    nice -n 10 "$@" >>"$log" 2>&1
}

build_game() {  # log file
    : >"$1"
    if [[ ! -f $build/CMakeCache.txt ]]; then
        niced "$1" cmake -S "$checkout" -B "$build" || return 1
    fi
    niced "$1" cmake --build "$build" -j2
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

if [[ -z ${NO_BASELINE:-} ]]; then
    echo "mutation: building and running the unmutated suite" >&2
    build_game "$logs/baseline.log" || die "the unmutated build fails: $logs/baseline.log"
    run_suite "$logs/baseline.log"
    [[ -z $failing ]] || die "the unmutated suite fails ($failing): $logs/baseline.log"
fi

cell() {  # code for a table cell
    if [[ -z $1 ]]; then echo "(deleted)"; else echo "\`${1//|/\\|}\`"; fi
}

echo "| fault | file | what changed | change | caught by |"
echo "|---|---|---|---|---|"
caught=0 survived=() unbuilt=()
declare -A area_faults=() area_caught=()  # by the folder of the file
for i in "${picked[@]}"; do
    id=${ids[i]}
    start=$SECONDS
    mutate "$i"
    if ! build_game "$logs/$id.log"; then
        result="does not build"
        unbuilt+=("$id")
    else
        run_suite "$logs/$id.log"
        area=${files[i]%/*}
        area_faults[$area]=$((${area_faults[$area]:-0} + 1))
        if [[ -n $failing && $failing != flaky:* ]]; then
            result=$failing
            caught=$((caught + 1))
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
for area in $(printf '%s\n' "${!area_faults[@]}" | sort); do
    by_area+=("$area ${area_caught[$area]:-0} of ${area_faults[$area]}")
done
((${#by_area[@]} == 0)) || echo "By folder: $(IFS=,; echo "${by_area[*]}" | sed 's/,/, /g')."
((${#unbuilt[@]} == 0)) || echo "Not counted, they do not build: ${unbuilt[*]}."
# Leave build-mutation matching the source again.
build_game "$logs/final.log" || true
