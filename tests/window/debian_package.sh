#!/bin/sh
# The Debian package on this machine, as root: installed, played by a user
# with an empty home through the PATH of a login shell, removed again, and
# nothing of it left outside that home.
# Usage: debian_package.sh TAVIKORO_DEB
set -u
here=$(dirname "$0")
. "$here/lib.sh"
need_tools setpriv man
deb=$(readlink -f "$1")
[ "$(id -u)" = 0 ] || skip "installing the package needs root"
dpkg-query -W -f='${Status}' tavikoro 2>/dev/null | grep -q installed &&
    skip "tavikoro is installed already; this would replace it"
tmp=$(mktemp -d)
chmod 755 "$tmp"
installed=
trap 'cleanup; [ -z "$installed" ] || dpkg -r tavikoro >/dev/null' EXIT

snapshot() {
    find /usr /etc /var/lib/dpkg/info /var/games -xdev 2>/dev/null | sort >"$1"
}
snapshot "$tmp/before"
dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$tmp/dpkg.log")"
installed=yes

user=nobody
mkdir "$tmp/home"
chown "$user" "$tmp/home"
# Runs a command as the user with a login shell's PATH, in place of the
# calling (sub)shell: the game keeps the process id its window is found by.
as_user() {
    exec setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups \
        env -i HOME="$tmp/home" DISPLAY="${DISPLAY:-}" SDL_AUDIODRIVER=dummy sh -c '. /etc/profile; exec "$@"' sh "$@"
}
found=$(as_user sh -c 'command -v tavikoro')
[ "$found" = /usr/games/tavikoro ] || fail "tavikoro on a user's PATH is '$found'"
man -P cat 6 tavikoro 2>/dev/null | grep -q "log splitting" || fail "man 6 tavikoro does not show the manual"

start_xvfb 1280x1024
as_user tavikoro >"$tmp/game.log" 2>&1 &
game_pid=$!
win=$(find_window "$game_pid")
[ -n "$win" ] || fail "no window appeared: $(cat "$tmp/game.log")"
expect_caption "$win"
convert /usr/share/games/tavikoro/image/a_logo.bmp -scale 300% "$tmp/logo.png"
expect_picture "$win" "$tmp/logo.png"
quit_game "$win"
saves=$tmp/home/.local/share/tavikoro/save
expect_config "$saves/config"
[ "$(stat -c %U "$saves/config")" = "$user" ] || fail "the settings do not belong to $user"

dpkg -r tavikoro >"$tmp/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$tmp/dpkg.log")"
installed=
snapshot "$tmp/after"
left=$(comm -13 "$tmp/before" "$tmp/after")
[ -z "$left" ] || fail "left behind after dpkg -r: $left"
dpkg-query -W -f='${Status}' tavikoro 2>/dev/null | grep -q installed && fail "dpkg still lists tavikoro"
[ -f "$saves/config" ] || fail "dpkg -r touched the player's saves"
echo "Debian package: installed, played as $user from $found, removed: ok"
