#!/bin/sh
# Plays the built game in a real window under Xvfb and keeps a PNG of each
# scene, at twice the size. Takes about 70 s: the result screen comes only
# after a whole game.
# Usage: tools/screenshots.sh BUILD_DIR OUT_DIR   (e.g. build docs/screenshots)
set -eu
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
for tool in Xvfb xdotool xwd convert compare; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

tmp=$(mktemp -d)
xvfb=
game=
finish() {
    [ -n "$game" ] && kill -CONT "$game" 2>/dev/null && kill "$game" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap finish EXIT

Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$tmp/display" 2>/dev/null &
xvfb=$!
until grep -q '^[0-9]' "$tmp/display" 2>/dev/null; do sleep 0.1; done
DISPLAY=:$(head -n 1 "$tmp/display")
export DISPLAY

# A fresh folder, so the shots show a first start.
mkdir -p "$tmp/game/save" "$tmp/game/replay/0"
cp -r "$build/game/tavikoro" "$build/game/image" "$build/game/sound" "$tmp/game/"
cd "$tmp/game"
SDL12COMPAT_WINDOW_SCALING=2 SDL12COMPAT_SCALE_METHOD=nearest SDL_AUDIODRIVER=dummy ./tavikoro >/dev/null 2>&1 &
game=$!
win=$(timeout 15 xdotool search --sync --onlyvisible --pid "$game" | head -n 1)
[ -n "$win" ] || { echo "no window" >&2; exit 1; }

shot() {
    xwd -silent -id "$win" | convert xwd:- -strip "png:$out/$1.png"
    echo "$1.png"
}
# Stops the game for the shot: the halves fly off within a few frames.
frozen_shot() {
    kill -STOP "$game"
    shot "$1"
    kill -CONT "$game"
}
# A frame has to see the key down.
press() {
    xdotool keydown --window "$win" "$1"
    sleep 0.05
    xdotool keyup --window "$win" "$1"
}

sleep 1
shot logo
press z
sleep 0.5
shot title-new-game
press Right
sleep 0.3
shot title-stage
press Right
sleep 0.3
shot title-quit
press Right
press Right
sleep 0.3
press z
sleep 0.5
shot stage-select
press z  # back to the title, on NEW GAME again
sleep 0.5
press z
# The first signal opens about two seconds into the game: watch the bird,
# frozen, until it changes, so the chop comes in time for the full 1000.
sleep 1.5
kill -STOP "$game"
xwd -silent -id "$win" | convert xwd:- -crop 128x128+160+264 "$tmp/bird.png"
kill -CONT "$game"
while :; do
    sleep 0.03
    kill -STOP "$game"
    xwd -silent -id "$win" >"$tmp/frame.xwd"
    convert "$tmp/frame.xwd" -crop 128x128+160+264 "$tmp/now.png"
    compare -metric AE "$tmp/bird.png" "$tmp/now.png" null: 2>/dev/null || break
    kill -CONT "$game"
done
convert "$tmp/frame.xwd" -strip "$out/play-signal.png"
echo play-signal.png
kill -CONT "$game"
xdotool keydown --window "$win" z
sleep 0.1  # a few frames: the halves apart, the points clear
frozen_shot chop
xdotool keyup --window "$win" z

# The next signal opens 121 frames after a chop; answer each within a
# sixth of a second, so the result shows a good score. Then stop pressing:
# after the result's first second, Z would leave it.
started=$(date +%s)
while [ $(($(date +%s) - started)) -lt 54 ]; do
    sleep 2.08
    press z
done
sleep 7
shot result
press Escape
wait "$game" || true
game=
