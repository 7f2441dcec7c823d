#!/bin/sh
# Starts the installed game. The game reads and writes everything relative
# to the folder it runs in, and the install is read-only, so it runs in a
# per-user folder holding the saves and links to the installed pictures
# and sounds.
set -e

# Found from where this script lives, so a moved install keeps working.
self=$(readlink -f "$0" 2>/dev/null || printf '%s' "$0")
prefix=$(cd "$(dirname "$self")/@STARTER_TO_PREFIX@" && pwd)
data="$prefix/@TAVIKORO_INSTALL_DATADIR@/tavikoro"
program="$prefix/@TAVIKORO_INSTALL_LIBDIR@/tavikoro/tavikoro"

case "${XDG_DATA_HOME:-}" in
    /*) base=$XDG_DATA_HOME ;;
    *)
        if [ -z "${HOME:-}" ]; then
            echo "tavikoro: HOME is not set, so there is no place for the saves" >&2
            exit 1
        fi
        base=$HOME/.local/share
        ;;
esac
work=$base/tavikoro

mkdir -p "$work/save" "$work/replay/0"
for dir in image sound; do
    # A real folder there is the player's own choice; leave it alone.
    if [ -e "$work/$dir" ] && [ ! -L "$work/$dir" ]; then continue; fi
    if [ "$(readlink "$work/$dir" || true)" != "$data/$dir" ]; then
        rm -f "$work/$dir"
        ln -s "$data/$dir" "$work/$dir"
    fi
done

cd "$work"
exec "$program" "$@"
