#!/bin/sh
# The window's scale chosen from the desktop size, unless the player set
# one; at every scale the logo must stay pixel-sharp.
# Usage: automatic_size.sh GAME_DIR
set -u
here=$(dirname "$0")
. "$here/lib.sh"
need_tools
game=$1
tmp=$(mktemp -d)
trap cleanup EXIT

copy_game "$game"
cd "$tmp/game" || exit 1

# desktop, what the player set ("-" for nothing), expected window
while read -r desktop setting expected <&3; do
    start_xvfb "$desktop"
    if [ "$setting" = - ]; then
        env -u SDL12COMPAT_WINDOW_SCALING -u SDL12COMPAT_SCALE_METHOD SDL_AUDIODRIVER=dummy ./tavikoro >"$tmp/game.log" 2>&1 &
    else
        SDL12COMPAT_WINDOW_SCALING=$setting SDL_AUDIODRIVER=dummy env -u SDL12COMPAT_SCALE_METHOD ./tavikoro >"$tmp/game.log" 2>&1 &
    fi
    game_pid=$!
    win=$(find_window "$game_pid")
    [ -n "$win" ] || fail "$desktop: no window appeared: $(cat "$tmp/game.log")"
    size=$(window_size "$win")
    [ "$size" = "$expected" ] || fail "$desktop with '$setting': window is $size, expected $expected"
    percent=$((${expected%x*} * 100 / 320))
    convert "$game/image/a_logo.bmp" -scale "$percent%" "$tmp/logo.png"
    expect_picture "$win" "$tmp/logo.png"
    quit_game "$win"
    echo "$desktop with '$setting': $size"
done 3<<TABLE
1280x1024 - 960x720
1920x1080 - 1280x960
1024x768 - 640x480
800x600 - 640x480
1920x1080 1 320x240
TABLE
