#!/bin/sh
# Installs into a temporary prefix and plays the installed game through its
# launcher with an empty HOME: it must open, quit on Escape, and leave its
# settings in the player's folder.
# Usage: installed_game.sh CMAKE BUILD_DIR
set -u
here=$(dirname "$0")
. "$here/lib.sh"
need_tools
cmake=$1
build=$2
tmp=$(mktemp -d)
trap cleanup EXIT

"$cmake" --install "$build" --prefix "$tmp/prefix" >/dev/null || fail "install failed"
mkdir "$tmp/home"
start_xvfb 1280x1024
cd "$tmp" || exit 1
HOME=$tmp/home SDL_AUDIODRIVER=dummy env -u XDG_DATA_HOME -u SDL12COMPAT_WINDOW_SCALING -u SDL12COMPAT_SCALE_METHOD \
    "$tmp/prefix/bin/tavikoro" >"$tmp/game.log" 2>&1 &
game_pid=$!
win=$(find_window "$game_pid")
[ -n "$win" ] || fail "no window appeared: $(cat "$tmp/game.log")"
expect_caption "$win"
convert "$tmp/prefix/share/tavikoro/image/a_logo.bmp" -scale 300% "$tmp/logo.png"
expect_picture "$win" "$tmp/logo.png"
quit_game "$win"

user=$tmp/home/.local/share/tavikoro
expect_config "$user/save/config"
[ -d "$user/replay/0" ] || fail "no replay/0/ in $user"
echo "installed game: ok"
