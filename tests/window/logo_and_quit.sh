#!/bin/sh
# The built game in a real window at a fixed scale: caption, size, the logo
# pixel for pixel, and Escape quits cleanly writing the settings.
# Usage: logo_and_quit.sh GAME_DIR [FACTOR]
# FACTOR is the enlargement expected: 2, or 1 on the classic SDL 1.2
# library, which ignores the scaling setting.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
need_tools
game=$1
factor=${2:-2}
expected=$((320 * factor))x$((240 * factor))
tmp=$(mktemp -d)
trap cleanup EXIT

copy_game "$game"
convert "$game/image/a_logo.bmp" -scale $((factor * 100))% "$tmp/logo.png"

start_xvfb 1280x1024
cd "$tmp/game" || exit 1
SDL12COMPAT_WINDOW_SCALING=2 SDL_AUDIODRIVER=dummy env -u SDL12COMPAT_SCALE_METHOD ./tavikoro >"$tmp/game.log" 2>&1 &
game_pid=$!
win=$(find_window "$game_pid")
[ -n "$win" ] || fail "no window appeared: $(cat "$tmp/game.log")"

seen=$(window_size "$win")
[ "$seen" = "$expected" ] || fail "window is $seen, expected $expected"
expect_caption "$win"
expect_picture "$win" "$tmp/logo.png"

quit_game "$win"
expect_config save/config
echo "window $seen, logo and quit: ok"
