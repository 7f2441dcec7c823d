#!/bin/sh
# A window or a clear failure: with no display, or one that never answers,
# the game ends with status 1 and the reason on one line, writing nothing;
# a display that closes the first connection, as a busy X server now and
# then does, is asked again and the window opens.
# Usage: window_or_failure.sh GAME_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
need_tools python3
tmp=$(mktemp -d)
proxy_pid=
trap '[ -n "$proxy_pid" ] && kill "$proxy_pid" && rm -f "/tmp/.X11-unix/X$(cat "$tmp/refusing")"; cleanup' EXIT
copy_game "$1"
cd "$tmp/game" || exit 1

for display in "" :54321; do
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ${display:+DISPLAY=$display} SDL_AUDIODRIVER=dummy \
        timeout 5 ./tavikoro >/dev/null 2>"$tmp/err" || status=$?
    case "$status $(wc -l <"$tmp/err") $display:$(cat "$tmp/err")" in
    "1 1 :Couldn't set video mode: no display to open a window on (DISPLAY is not set)") ;;
    "1 1 $display:Couldn't set video mode: cannot open display $display: "*) ;;
    *) fail "display '$display': status $status, said: $(cat "$tmp/err")" ;;
    esac
    [ -z "$(find save replay -type f)" ] || fail "display '$display': files written: $(find save replay -type f)"
done

start_xvfb 1280x1024
python3 "$here/refusing_display.py" "/tmp/.X11-unix/X${DISPLAY#:}" "$tmp/refusing" &
proxy_pid=$!
timeout 5 sh -c 'until [ -s "$1" ]; do sleep 0.1; done' sh "$tmp/refusing" || fail "the refusing display did not start"
DISPLAY=:$(cat "$tmp/refusing") SDL_AUDIODRIVER=dummy env -u SDL_VIDEODRIVER ./tavikoro >"$tmp/game.log" 2>&1 &
game_pid=$!
win=$(find_window "$game_pid")
[ -n "$win" ] || fail "no window after one refused connection: $(cat "$tmp/game.log")"
# The logo at whatever scale the library gives: the game is running.
convert image/a_logo.bmp -scale "$(($(window_size "$win" | cut -dx -f1) * 100 / 320))%" "$tmp/logo.png"
expect_picture "$win" "$tmp/logo.png"
quit_game "$win"
expect_config save/config
echo "no display or a dead one: status 1 and why; a refused connection asked again: ok"
