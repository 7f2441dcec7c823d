#!/bin/sh
# F11 and Alt+Enter switch a real window to full screen and back under a
# window manager: full screen fills the 1920 x 1080 screen with the 4:3
# picture between black bars. Enter without Alt is the one button.
# Usage: full_screen.sh GAME_DIR
set -u
here=$(dirname "$0")
. "$here/lib.sh"
need_tools openbox
game=$1
tmp=$(mktemp -d)
wm_pid=
trap '[ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null; cleanup' EXIT

copy_game "$game"
start_xvfb 1920x1080
openbox --sm-disable >"$tmp/wm.log" 2>&1 &
wm_pid=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || fail "openbox did not start: $(cat "$tmp/wm.log")"
    sleep 0.1
done
cd "$tmp/game" || exit 1
env -u SDL12COMPAT_WINDOW_SCALING -u SDL12COMPAT_SCALE_METHOD SDL_AUDIODRIVER=dummy ./tavikoro >"$tmp/game.log" 2>&1 &
game_pid=$!
win=$(find_window "$game_pid")
[ -n "$win" ] || fail "no window appeared: $(cat "$tmp/game.log")"

# Waits up to 5 s for the window to have size $1.
expect_size() {
    tries=0
    until [ "$(window_size "$win")" = "$1" ]; do
        tries=$((tries + 1))
        [ "$tries" -le 50 ] || fail "$2: window is $(window_size "$win"), expected $1"
        sleep 0.1
    done
}

expect_size 1280x960 "at start"
press "$win" x
xdotool key --window "$win" F11
expect_size 1920x1080 "after F11"
# Black bars left and right of the 1440 x 1080 picture (the title's, not
# black at its edges); the first full-screen frames may still be on their way.
tries=0
while :; do
    shoot "$win" "$tmp/full.png"
    edges=$(convert "$tmp/full.png" -format \
        '%[pixel:p{0,540}] %[pixel:p{239,540}] %[pixel:p{1680,540}] %[pixel:p{1919,540}] %[pixel:p{240,540}] %[pixel:p{1679,540}]' info:)
    case "$edges" in
    "srgb(0,0,0) srgb(0,0,0) srgb(0,0,0) srgb(0,0,0) srgb(0,0,0) "* | *" srgb(0,0,0)") ;;
    "srgb(0,0,0) srgb(0,0,0) srgb(0,0,0) srgb(0,0,0) "*) break ;;
    esac
    tries=$((tries + 1))
    [ "$tries" -le 20 ] || fail "full screen: bars and picture edges are $edges"
    sleep 0.1
done
xdotool key --window "$win" F11
expect_size 1280x960 "after F11 again"
# The title once the window has drawn it again: two shots alike.
shoot "$win" "$tmp/title.png"
tries=0
until sleep 0.3 && shoot "$win" "$tmp/again.png" && compare -metric AE "$tmp/again.png" "$tmp/title.png" null: 2>/dev/null; do
    mv "$tmp/again.png" "$tmp/title.png"
    tries=$((tries + 1))
    [ "$tries" -le 20 ] || fail "the window does not settle after F11"
done

# Alt+Enter, held as long as a chop would be, key $1 let go some frames
# before key $2: full screen and nothing else, the title menu stays where
# it is, whichever goes first.
alt_enter() {
    xdotool keydown --window "$win" alt keydown --window "$win" Return
    sleep 0.15
    xdotool keyup --window "$win" "$1"
    sleep 0.15
    xdotool keyup --window "$win" "$2"
}
alt_enter Return alt
expect_size 1920x1080 "after Alt+Enter"
alt_enter alt Return
expect_size 1280x960 "after Alt+Enter again"
# Waits some 3 s for the window to show the title as it was before (yes)
# or anything else (no); fails with $2 otherwise.
expect_title() {
    tries=0
    while :; do
        shown=no
        shoot "$win" "$tmp/now.png" && compare -metric AE "$tmp/now.png" "$tmp/title.png" null: 2>/dev/null && shown=yes
        [ "$shown" = "$1" ] && return 0
        tries=$((tries + 1))
        [ "$tries" -le 10 ] || fail "$2"
        sleep 0.3
    done
}
expect_title yes "Alt+Enter left the title menu"
# Enter alone is the one button: NEW GAME starts, in the same window.
press "$win" Return
expect_title no "Enter did not choose NEW GAME"
expect_size 1280x960 "after Enter without Alt"

quit_game "$win"
echo "full screen on F11 and Alt+Enter, Enter alone chooses: ok"
