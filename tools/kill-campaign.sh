#!/bin/bash
# Kills the game with SIGKILL at random moments of a run that saves again and
# again, ROUNDS times, and checks after each kill that save/config,
# save/work.sav, save/item_wk.sav and the replay file each hold their old
# bytes or bytes the game wrote in a whole run, never anything else, and that
# none is missing.
#
#   tools/kill-campaign.sh [BUILD_DIR [ROUNDS]]      (defaults: build 1000)
#
# The game is tools/killcampaign/kill_rig.cpp: three whole games on the test
# host's virtual clock, its frames neither shown nor given pictures or
# sounds, so that its 19 saves follow one another within milliseconds. It
# says when its first save starts, and the kill comes at a random moment
# from then to a quarter past the end of the last. Its folder is on disk
# under /var/tmp, so every save really waits for its fsync. Not part of CI.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-1000}
rig=$build/tools/killcampaign/kill_rig
[ -x "$rig" ] || { echo "build $build first (the target kill_rig)" >&2; exit 2; }
work=$(mktemp -d /var/tmp/tavikoro-kills-XXXXXX)
trap 'rm -rf "$work"' EXIT
files="save/config save/work.sav save/item_wk.sav replay/0/replay_data_j0.dat"

# The old state: the settings of an earlier run with a best of 40000, so that
# every game beats it and writes its replay; work records and replay that the
# game never writes.
mkdir -p "$work/game/save" "$work/game/replay/0" "$work/old" "$work/versions"
mkfifo "$work/said" "$work/idle"
(cd "$work/game" && "$rig" >/dev/null)
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

# A whole run keeps every version it writes and says how long its saves take,
# from the first to the end of the last. The shortest of three such runs is
# the span the kills are drawn from: one slowed by the machine's other work
# would let most later runs finish before their kill.
span=
for try in 1 2 3; do
    reset
    said=$(cd "$work/game" && "$rig" --versions "$work/versions")
    [ "$try" = 1 ] && grep scores <<<"$said"
    took=$(sed -n 's/^saves take \([0-9]*\) us$/\1/p' <<<"$said")
    [ -n "$span" ] && [ "$span" -le "$took" ] || span=$took
done
# The rig copies every file after each save: count the different new bytes.
echo "versions written in a whole run: $(for f in $files; do
    name=$(basename "$f")
    echo -n "$name $(for v in "$work/versions/$name".*; do
        cmp -s "$v" "$work/old/$name" || md5sum <"$v"; done | sort -u | wc -l), "
done)its saves take $span us"

kills=0 finished=0 old=0 new=0 torn=0 lost=0 leftovers=0 untouched=0
declare -A landed  # kills that left a temporary file, by the file being written
for ((round = 1; round <= rounds; round++)); do
    reset
    # From the first save up to a quarter past the last, so that some runs
    # finish first.
    delay=$(((RANDOM * 32768 + RANDOM) % (span * 5 / 4 + 1)))
    (cd "$work/game" && exec "$rig" >"$work/said") &
    pid=$!
    read -r _ <"$work/said" || true  # "saving"; nothing from a rig that failed
    # A read that times out on a pipe nobody writes: a sleep without starting
    # a program, which would take as long as the saves.
    read -rt "$((delay / 1000000)).$(printf %06d $((delay % 1000000)))" _ <>"$work/idle" || true
    kill -KILL "$pid" 2>/dev/null || true
    status=0
    wait "$pid" 2>/dev/null || status=$?  # and no word from the shell about the kill
    if [ "$status" = 137 ]; then kills=$((kills + 1)); else finished=$((finished + 1)); fi
    fresh=0
    for f in $files; do
        path=$work/game/$f name=$(basename "$f")
        if [ ! -f "$path" ]; then
            lost=$((lost + 1)); echo "round $round: $f lost ($delay us)"
        elif cmp -s "$path" "$work/old/$name"; then
            old=$((old + 1))
        elif for v in "$work/versions/$name".*; do cmp -s "$path" "$v" && break; done; then
            new=$((new + 1)) fresh=$((fresh + 1))
        else
            torn=$((torn + 1)); echo "round $round: $f torn ($delay us)"
        fi
    done
    [ "$status" = 137 ] && [ "$fresh" = 0 ] && untouched=$((untouched + 1))
    while read -r left; do
        name=${left#.}
        landed[${name%.*}]=$((${landed[${name%.*}]:-0} + 1))
        leftovers=$((leftovers + 1))
    done < <(find "$work/game/save" "$work/game/replay" -name '.*.??????' -printf '%f\n')
done
echo "rounds $rounds, killed $kills, finished before the kill $finished"
echo "files found old $old, new $new, torn $torn, lost $lost; temporary files left by kills $leftovers"
echo "kills before the first save was in place $untouched; kills while writing: $(for name in "${!landed[@]}"; do echo -n "$name ${landed[$name]}, "; done)"
[ "$torn" = 0 ] && [ "$lost" = 0 ]
