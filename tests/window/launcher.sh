#!/bin/sh
# The installed launcher, with the program swapped for a stub that reports
# where and how it was started: the per-user folder, its links, and the
# arguments. Needs no display.
# Usage: launcher.sh CMAKE BUILD_DIR
set -u
here=$(dirname "$0")
. "$here/lib.sh"
cmake=$1
build=$2
tmp=$(mktemp -d)
trap cleanup EXIT

"$cmake" --install "$build" --prefix "$tmp/prefix" >/dev/null || fail "install failed"
for f in bin/tavikoro lib/tavikoro/tavikoro share/tavikoro/image/a_logo.bmp share/tavikoro/sound/se/kan.wav \
    share/applications/tavikoro.desktop share/icons/hicolor/64x64/apps/tavikoro.png \
    share/icons/hicolor/128x128/apps/tavikoro.png share/man/man6/tavikoro.6.gz; do
    [ -f "$tmp/prefix/$f" ] || fail "not installed: $f"
done
[ -x "$tmp/prefix/bin/tavikoro" ] || fail "the launcher is not executable"
for size in 64 128; do
    got=$(identify -format %wx%h "$tmp/prefix/share/icons/hicolor/${size}x${size}/apps/tavikoro.png" 2>/dev/null) ||
        continue  # no ImageMagick: the file check above has to do
    [ "$got" = "${size}x${size}" ] || fail "the ${size}px icon is $got"
done

stub='#!/bin/sh
{ echo "dir=$PWD"; echo "pid=$$"; for a in "$@"; do echo "arg=$a"; done; } >"$REPORT"
exit 3'
install_stub() {
    printf '%s\n' "$stub" >"$1/lib/tavikoro/tavikoro"
    chmod +x "$1/lib/tavikoro/tavikoro"
}
install_stub "$tmp/prefix"
export REPORT="$tmp/report"

# Runs the launcher $1 with HOME=$2 and XDG_DATA_HOME=$3 ("-" for unset) and
# the remaining arguments; checks it ran the stub in $4 with those arguments.
launch() {
    launcher=$1 home=$2 xdg=$3 expected=$4
    shift 4
    rm -f "$REPORT"
    if [ "$xdg" = - ]; then
        env -u XDG_DATA_HOME HOME="$home" "$launcher" "$@" &
    else
        HOME="$home" XDG_DATA_HOME="$xdg" "$launcher" "$@" &
    fi
    pid=$!
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq 3 ] || fail "$launcher: status $status, not the program's 3"
    [ -f "$REPORT" ] || fail "$launcher did not start the program"
    grep -qx "dir=$expected" "$REPORT" || fail "ran in $(grep dir= "$REPORT"), expected $expected"
    # exec: the game itself gets the window manager's and the shell's signals
    grep -qx "pid=$pid" "$REPORT" || fail "the launcher did not exec the program"
    {
        echo "dir=$expected"
        echo "pid=$pid"
        for a in "$@"; do echo "arg=$a"; done
    } | cmp -s - "$REPORT" || fail "arguments not passed on: $(cat "$REPORT")"
    [ -d "$expected/save" ] && [ -d "$expected/replay/0" ] || fail "no save/ or replay/0/ in $expected"
}

links_point_to() {
    for dir in image sound; do
        [ "$(readlink "$1/$dir")" = "$2/share/tavikoro/$dir" ] ||
            fail "$1/$dir points to '$(readlink "$1/$dir")', not into $2"
        [ -d "$1/$dir/" ] || fail "$1/$dir is a dangling link"
    done
}

mkdir -p "$tmp/home" "$tmp/xdg" "$tmp/games"
ln -s ../prefix/bin/tavikoro "$tmp/games/tavikoro"
user=$tmp/home/.local/share/tavikoro

# launcher, HOME, XDG_DATA_HOME, expected folder, arguments
launch "$tmp/prefix/bin/tavikoro" "$tmp/home" - "$user"
links_point_to "$user" "$tmp/prefix"
launch "$tmp/prefix/bin/tavikoro" "$tmp/home" - "$user" full "two words" ""
launch "$tmp/prefix/bin/tavikoro" "$tmp/home" "" "$user" x
launch "$tmp/prefix/bin/tavikoro" "$tmp/home" relative/path "$user"
launch "$tmp/prefix/bin/tavikoro" "$tmp/home" "$tmp/xdg" "$tmp/xdg/tavikoro" '*' '$HOME'
links_point_to "$tmp/xdg/tavikoro" "$tmp/prefix"
launch "$tmp/games/tavikoro" "$tmp/home" - "$user" -x  # through a symlink, as from /usr/games

# Saves survive a new start and a moved install; the links follow the move.
echo keep >"$user/save/config"
mv "$tmp/prefix" "$tmp/moved"
launch "$tmp/moved/bin/tavikoro" "$tmp/home" - "$user"
links_point_to "$user" "$tmp/moved"
[ "$(cat "$user/save/config")" = keep ] || fail "the saves were touched"

# A real folder the player put there instead of a link stays.
rm "$user/image"
mkdir "$user/image"
launch "$tmp/moved/bin/tavikoro" "$tmp/home" - "$user"
[ -d "$user/image" ] && [ ! -L "$user/image" ] || fail "the player's own image/ was replaced"

rm -f "$REPORT"
HOME='' env -u XDG_DATA_HOME "$tmp/moved/bin/tavikoro" 2>/dev/null && fail "ran without HOME"
[ ! -f "$REPORT" ] || fail "the program ran without a folder for its saves"
echo "launcher: ok"
