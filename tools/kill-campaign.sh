#!/bin/bash
# Kills the real game binary with SIGKILL at random moments of its saves,
# ROUNDS times, and checks after each kill that save/config, save/work.sav,
# save/item_wk.sav and the replay file each hold their old bytes or bytes the
# game wrote in a whole run, never anything else, and that none is missing.
#
#   tools/kill-campaign.sh [BUILD_DIR [ROUNDS]]      (defaults: build 1000)
#
# The game plays on a virtual clock through tools/killcampaign/kill_shim.cpp
# (see there for the keys and the moments), without its pictures and sounds,
# which it can do without, so that a whole game takes a fraction of a second.
# Its folder is on disk under /var/tmp, so every save really waits for its
# fsync. Not part of CI.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-1000}
shim=$build/tools/killcampaign/libkill_shim.so
[ -x "$build/game/tavikoro" ] && [ -f "$shim" ] || { echo "build $build first" >&2; exit 2; }
work=$(mktemp -d /var/tmp/tavikoro-kills-XXXXXX)
trap 'rm -rf "$work"' EXIT
files="save/config save/work.sav save/item_wk.sav replay/0/replay_data_j0.dat"

run() {  # in $work/game, with the shim's settings in the environment
    (cd "$work/game" && env LD_PRELOAD="$shim" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$@" \
        "$build/game/tavikoro" >/dev/null 2>&1) 2>/dev/null  # and no word from the shell about the kill
}

# The old state: the settings of an earlier game with a best of 40000, so that
# this game beats it and writes its replay; work records and replay that the
# game never writes.
mkdir -p "$work/game/save" "$work/game/replay/0" "$work/old" "$work/versions"
run
printf '\x40\x9c\x00\x00' | dd of="$work/game/save/config" bs=1 seek=1204 conv=notrunc status=none
cp "$work/game/save/config" "$work/old/config"
head -c 4096 /dev/zero | tr '\0' W >"$work/old/work.sav"
head -c 4096 /dev/zero | tr '\0' I >"$work/old/item_wk.sav"
head -c 144000 /dev/zero | tr '\0' R >"$work/old/replay_data_j0.dat"
reset() {
    rm -rf "$work/game/save" "$work/game/replay"
    mkdir -p "$work/game/save" "$work/game/replay/0"
    for f in $files; do cp "$work/old/$(basename "$f")" "$work/game/$f"; done
}

# A whole run keeps every version it writes, and times its save bursts.
reset
run KILL_SHIM_VERSIONS="$work/versions" KILL_SHIM_TIMES="$work/times"
mapfile -t spans <"$work/times"
echo "versions written in a whole run: $(ls "$work/versions" | tr '\n' ' ')"
echo "from the key to the last file in place: new game ${spans[0]} us, result ${spans[1]} us"

kills=0 finished=0 old=0 new=0 torn=0 lost=0 leftovers=0
for ((round = 1; round <= rounds; round++)); do
    reset
    window=$((RANDOM % 2 + 1))
    # Up to a quarter past the last rename, so that some kills come after it.
    span=${spans[window - 1]}
    delay=$(((RANDOM * 32768 + RANDOM) % (span * 5 / 4 + 1)))
    status=0
    run KILL_SHIM_WINDOW=$window KILL_SHIM_DELAY_US=$delay || status=$?
    if [ "$status" = 137 ]; then kills=$((kills + 1)); else finished=$((finished + 1)); fi
    for f in $files; do
        path=$work/game/$f name=$(basename "$f")
        if [ ! -f "$path" ]; then
            lost=$((lost + 1)); echo "round $round: $f lost (window $window, $delay us)"
        elif cmp -s "$path" "$work/old/$name"; then
            old=$((old + 1))
        elif for v in "$work/versions/$name".*; do cmp -s "$path" "$v" && break; done; then
            new=$((new + 1))
        else
            torn=$((torn + 1)); echo "round $round: $f torn (window $window, $delay us)"
        fi
    done
    leftovers=$((leftovers + $(find "$work/game/save" "$work/game/replay" -name '.*.??????' | wc -l)))
done
echo "rounds $rounds, killed $kills, finished before the kill $finished"
echo "files found old $old, new $new, torn $torn, lost $lost; temporary files left by kills $leftovers"
[ "$torn" = 0 ] && [ "$lost" = 0 ]
