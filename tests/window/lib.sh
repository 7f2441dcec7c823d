# Shared by the window tests: a private Xvfb, the game's window, and a
# screenshot of it. Sourced; the caller sets $tmp and calls need_tools.

skip() {
    echo "SKIP: $*"
    exit 77
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need_tools() {
    for tool in Xvfb xdotool xwd xwininfo convert compare "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
    done
}

xvfb_pid=
game_pid=
cleanup() {
    # A game left over from a failed check: gone for good, before its display.
    [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$tmp"
}

# A private copy of the built game folder $1 in $tmp/game, with empty saves.
copy_game() {
    mkdir -p "$tmp/game/save" "$tmp/game/replay/0"
    cp -r "$1/tavikoro" "$1/image" "$1/sound" "$tmp/game/"
}

# Starts Xvfb with one screen of size $1 (WxH) on a display it picks itself,
# so tests can run in parallel; sets DISPLAY.
start_xvfb() {
    stop_xvfb
    : >"$tmp/display"
    Xvfb -displayfd 9 -screen 0 "${1}x24" -nolisten tcp -ac 9>"$tmp/display" 2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    tries=0
    until [ -s "$tmp/display" ] && grep -q '^[0-9]' "$tmp/display"; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
        sleep 0.1
    done
    DISPLAY=:$(head -n 1 "$tmp/display")
    export DISPLAY
}

stop_xvfb() {
    [ -n "$xvfb_pid" ] || return 0
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
}

# The visible window of process $1; empty after 15 s without one.
find_window() {
    timeout 15 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n 1
}

# The caption is set just after the window opens; a slow (sanitized) build
# can take seconds for that.
expect_caption() {
    tries=0
    until [ "$(xdotool getwindowname "$1" 2>/dev/null)" = tavikoro ]; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || fail "caption is '$(xdotool getwindowname "$1")'"
        sleep 0.1
    done
}

window_size() {
    xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

shoot() {
    xwd -silent -id "$1" | convert xwd:- "png:$2"
}

# Waits some 8 s (the logo shows for 3 from its first frame) for
# window $1 to show exactly picture $2; the first frames may not be
# presented yet.
expect_picture() {
    tries=0
    while :; do
        shoot "$1" "$tmp/shot.png" 2>/dev/null &&
            compare -metric AE "$tmp/shot.png" "$2" null: 2>/dev/null && return 0
        tries=$((tries + 1))
        if [ "$tries" -ge 80 ]; then
            differing=$(compare -metric AE "$tmp/shot.png" "$2" null: 2>&1)
            fail "window shows $(identify -format %wx%h "$tmp/shot.png"), $differing pixels differ from $2"
        fi
        sleep 0.1
    done
}

# Holds a key long enough for a frame to see it.
press() {
    xdotool keydown --window "$1" "$2"
    sleep 0.15
    # Escape quits on the way down, so the window may be gone by now.
    xdotool keyup --window "$1" "$2" 2>/dev/null
}

# Escape, then the game must end by itself with status 0 within 10 s.
quit_game() {
    press "$1" Escape
    tries=0
    while kill -0 "$game_pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || fail "the game did not quit on Escape"
        sleep 0.1
    done
    status=0
    wait "$game_pid" || status=$?
    game_pid=
    [ "$status" -eq 0 ] || fail "the game ended with status $status"
}

expect_config() {
    size=$(stat -c %s "$1" 2>/dev/null || echo missing)
    [ "$size" = 4096 ] || fail "$1: expected 4096 bytes, found $size"
}
