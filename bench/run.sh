#!/bin/bash
# Runs every speed measurement and writes the table to docs/performance.md.
#
#   bench/run.sh [BUILD_DIR]      (default: build)
#
# Needs Google Benchmark, valgrind, strace and Xvfb (tools/install-deps.sh --tests).
# Timings are shared-machine noisy, so each is given as a ratio against a
# floor measured in the same run; callgrind's instruction counts are stable.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
out=docs/performance.md

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 >/dev/null
bin=$(cd "$build" && pwd)
for f in bench/tavikoro_bench bench/proctime bench/bare_sdl bench/libflip_probe.so bench/scripted_game \
         bench/pace_floor bench/keypress bench/alloc_frames game/tavikoro; do
    [ -e "$bin/$f" ] || { echo "missing $bin/$f" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tavikoro-bench-XXXXXX)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp -r "$bin/game" "$work/game"
rm -f "$work/game/save/"* 2>/dev/null || true

export SDL_AUDIODRIVER=dummy

echo "frame CPU (Google Benchmark)..." >&2
SDL_VIDEODRIVER=dummy "$bin/bench/tavikoro_bench" --benchmark_repetitions=9 --benchmark_min_time=0.2 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_format=json >"$work/frames.json" 2>/dev/null

echo "instruction counts (callgrind)..." >&2
frames=50
"$bin/bench/tavikoro_bench" --list >"$work/list"
for scene in $(cut -f1 "$work/list"); do
    SDL_VIDEODRIVER=dummy valgrind --tool=callgrind --toggle-collect=counted_frames \
        --callgrind-out-file="$work/cg.$scene" "$bin/bench/tavikoro_bench" --count "$scene" "$frames" \
        >/dev/null 2>&1
    awk -v n="$frames" '/^totals:/ {printf "%d\n", $2 / n}' "$work/cg.$scene" >"$work/ir.$scene"
done

echo "start-up and memory..." >&2
# Game and floor in turns, so both see the same moments of a shared machine.
start_pair() {  # label, then the environment for both
    local label=$1; shift
    : >"$work/start.game.$label"; : >"$work/start.bare.$label"
    for _ in 1 2 3 4 5 6 7; do
        (cd "$work/game" && env "$@" "$bin/bench/proctime" 3 --probe "$bin/bench/libflip_probe.so" -- ./tavikoro) |
            grep '^run' >>"$work/start.game.$label"
        (cd "$work/game" && env "$@" "$bin/bench/proctime" 3 --probe "$bin/bench/libflip_probe.so" -- "$bin/bench/bare_sdl") |
            grep '^run' >>"$work/start.bare.$label"
    done
}
start_pair headless SDL_VIDEODRIVER=dummy
SDL_VIDEODRIVER=dummy "$bin/bench/proctime" 3 -- "$bin/bench/scripted_game" >"$work/rss.game"
(cd "$work/game" && SDL_VIDEODRIVER=dummy "$bin/bench/proctime" 3 -- "$bin/bench/bare_sdl") >"$work/rss.bare"

echo "system calls of the game's thread over 300 frames (strace)..." >&2
rm -f "$work/game/save/"*
(cd "$work/game" && SDL_VIDEODRIVER=dummy LD_PRELOAD="$bin/bench/libflip_probe.so" FLIP_PROBE_FRAMES=301 \
    strace -c -o "$work/strace" ./tavikoro) || true

echo "allocations per frame..." >&2
"$bin/bench/alloc_frames" --gtest_output="json:$work/alloc.json" >/dev/null 2>&1 || true

echo "under Xvfb: start-up to a mapped window, frame period, input latency..." >&2
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
start_pair window -u SDL_VIDEODRIVER DISPLAY="$display"
(cd "$work/game" && env -u SDL_VIDEODRIVER DISPLAY="$display" LD_PRELOAD="$bin/bench/libflip_probe.so" \
    FLIP_PROBE_FRAMES=601 FLIP_PROBE_OUT="$work/flips" ./tavikoro) || true
"$bin/bench/pace_floor" 601 "$work/flips.floor" >"$work/waitcpu"
rm -f "$work/game/save/"*
(cd "$work/game" && env -u SDL_VIDEODRIVER DISPLAY="$display" LD_PRELOAD="$bin/bench/libflip_probe.so" \
    FLIP_PROBE_FRAMES=100000 FLIP_PROBE_HASH=1 FLIP_PROBE_OUT="$work/latency.flips" ./tavikoro) &
game_pid=$!
sleep 1
DISPLAY="$display" "$bin/bench/keypress" 40 "$work/latency.keys" || true
wait "$game_pid" || true
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=

python3 - "$work" "$out" "$build" <<'PY'
import json, sys
work, out, build = sys.argv[1:4]

frames = {}
for b in json.load(open(f"{work}/frames.json"))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        frames[b["run_name"]] = b["cpu_time"]  # microseconds
# The benchmark's frames: name, the frame it is compared with, label.
listed = [line.rstrip("\n").split("\t") for line in open(f"{work}/list")]
ir = {name: int(open(f"{work}/ir.{name}").read()) for name, _, _ in listed}

def median(v):
    v = sorted(v)
    return (v[(len(v) - 1) // 2] + v[len(v) // 2]) / 2 if v else float("nan")
def runs(path, field):
    out = []
    for line in open(path):
        w = line.split()
        if field in w and float(w[w.index(field) + 1]) >= 0:
            out.append(float(w[w.index(field) + 1]))
    return out
start = {(who, where): (median(runs(f"{work}/start.{who}.{where}", "first_frame_ms")),
                        median(runs(f"{work}/start.{who}.{where}", "cpu_ms")))
         for who in ("game", "bare") for where in ("headless", "window")}
def median_line(path):
    for line in open(path):
        if line.startswith("median"):
            w = line.split()
            return float(w[2]), float(w[4])
_, rss_game = median_line(f"{work}/rss.game")
_, rss_bare = median_line(f"{work}/rss.bare")

alloc = {}
try:
    for suite in json.load(open(f"{work}/alloc.json"))["testsuites"]:
        for t in suite["testsuite"]:
            for k, v in t.items():
                if k.startswith("allocations per frame: "):
                    alloc[k[len("allocations per frame: "):]] = int(v)
except (OSError, KeyError, ValueError):
    pass

def periods_of(path, column=0):
    if not __import__("os").path.exists(path):
        return []
    t = [int(l.split()[column]) for l in open(path)]
    return sorted((b - a) / 1e6 for a, b in zip(t, t[1:]))
def pct(p, q):
    return p[min(len(p) - 1, int(q * len(p)))] if p else float("nan")
# The game's periods where it calls SDL_Flip, which its frame wait paces,
# and where SDL_Flip returns, after the X server has taken the frame.
pace = {"game": periods_of(f"{work}/flips"), "returned": periods_of(f"{work}/flips", 1),
        "floor": periods_of(f"{work}/flips.floor")}

# Input latency: from each key going down to the first present that differs
# from the one before the key.
latency = []
try:
    flips = [tuple(map(int, l.split())) for l in open(f"{work}/latency.flips")]
    for k in (int(l) for l in open(f"{work}/latency.keys")):
        i = next(j for j, (_, t, _) in enumerate(flips) if t > k)
        j = i
        while flips[j][2] == flips[i - 1][2]:
            j += 1
        latency.append(((flips[j][1] - k) / 1e6, j - i + 1))
except (OSError, StopIteration, IndexError, ValueError):
    latency = []

floor_us, floor_ir = frames["floor"], ir["floor"]
present_us, present_ir = frames["present"], ir["present"]
ok = lambda c: "yes" if c else "**no**"
B = f"{build}/bench/tavikoro_bench"
rows = []
def row(*cells): rows.append("| " + " | ".join(str(c) for c in cells) + " |")

row("measurement", "value", "floor (same run)", "ratio", "goal", "met", "reproduce")
row(*["---"] * 7)
scenes = [(name, label) for name, base, label in listed if base == "floor"]
for scene, label in scenes:
    us = frames[scene]
    row(f"frame CPU, {label}", f"{us:.1f} µs", f"{floor_us:.1f} µs", f"{us / floor_us:.2f}", "≤ 1.3", ok(us / floor_us <= 1.3),
        f"`SDL_VIDEODRIVER=dummy {B} --benchmark_filter='^({scene}|floor)$'`")
cg = "valgrind --tool=callgrind --toggle-collect=counted_frames " + B + " --count {} 50"
for scene, label in scenes:
    r = ir[scene] / floor_ir
    row(f"instructions per frame, {label}", f"{ir[scene]:,}", f"{floor_ir:,}", f"{r:.2f}", "≤ 1.5", ok(r <= 1.5),
        "`" + cg.format(scene) + "`")
row("present alone (SDL_Flip, sdl12-compat): CPU", f"{present_us:.1f} µs", f"{floor_us:.1f} µs",
    f"{present_us / floor_us:.2f}", "–", "–", f"`SDL_VIDEODRIVER=dummy {B} --benchmark_filter='^(present|floor)$'`")
row("… instructions", f"{present_ir:,}", f"{floor_ir:,}", f"{present_ir / floor_ir:.2f}", "–", "–",
    "`" + cg.format("present") + "`")
P = f"{build}/bench/proctime 3 --probe {build}/bench/libflip_probe.so --"
for where, label, env in [("headless", "headless", "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy"),
                          ("window", "to a mapped window under Xvfb", "DISPLAY=:99 SDL_AUDIODRIVER=dummy")]:
    (g, gc), (f, fc) = start[("game", where)], start[("bare", where)]
    r = g / f
    # Under X the window itself takes most of the time, the floor's too.
    limit = 100 if where == "headless" else float("inf")
    row(f"start to first presented frame, {label}", f"{g:.1f} ms", f"{f:.1f} ms", f"{r:.2f}",
        "≤ 1.15 and < 100 ms" if where == "headless" else "≤ 1.15", ok(r <= 1.15 and g < limit),
        f"`cd game && {env} {P} ./tavikoro` (floor: `… -- {build}/bench/bare_sdl`), 7 turns of 3 runs each")
    row("… processor time to it", f"{gc:.1f} ms", f"{fc:.1f} ms", f"{gc / fc:.2f}", "–", "–", "same")
worst = max(alloc.values()) if alloc else None
row("heap allocations per frame, worst steady frame of any scene",
    ", ".join(f"{k} {v}" for k, v in alloc.items()) if alloc else "not measured", "0", "–", "0",
    ok(worst == 0) if alloc else "**no**", f"`{build}/bench/alloc_frames`")
extra = (rss_game - rss_bare) / 1024
row("peak resident memory, whole scripted game", f"{rss_game / 1024:.1f} MiB", f"{rss_bare / 1024:.1f} MiB",
    f"+{extra:.1f} MiB", "≤ +10 MiB", ok(extra <= 10),
    f"`SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy {build}/bench/proctime 3 -- {build}/bench/scripted_game` (floor: `… -- {build}/bench/bare_sdl`)")
g, f = pace["game"], pace["floor"]
mean = lambda p: sum(p) / len(p) if p else float("nan")
FLIPS = ("`Xvfb :99 & cd game && DISPLAY=:99 SDL_AUDIODRIVER=dummy LD_PRELOAD=" + build +
         "/bench/libflip_probe.so FLIP_PROBE_FRAMES=601 FLIP_PROBE_OUT=flips ./tavikoro` (floor: `" + build +
         "/bench/pace_floor 601 flips.floor`)")
row(f"frame period where the game calls SDL_Flip, real clock, {len(g)} periods under Xvfb: mean", f"{mean(g):.3f} ms", f"{mean(f):.3f} ms",
    f"{mean(g) / mean(f):.3f}", "16.00 to 16.05 ms", ok(16.0 <= mean(g) <= 16.05), FLIPS)
row("… 1st percentile", f"{pct(g, 0.01):.3f} ms", f"{pct(f, 0.01):.3f} ms", "–", "≥ floor − 0.1 ms",
    ok(pct(g, 0.01) >= pct(f, 0.01) - 0.1), "same")
row("… median", f"{pct(g, 0.5):.3f} ms", f"{pct(f, 0.5):.3f} ms", "–", "–", "–", "same")
row("… 99th percentile", f"{pct(g, 0.99):.3f} ms", f"{pct(f, 0.99):.3f} ms", "–", "≤ floor + 0.1 ms",
    ok(pct(g, 0.99) <= pct(f, 0.99) + 0.1), "same")
w = open(f"{work}/waitcpu").read().split()
wait_floor, wait_game, wait_delay = float(w[2]), float(w[4]), float(w[6])
row("processor time of the frame wait, per frame (300 waits)", f"{wait_game:.2f} µs",
    f"{wait_delay:.2f} µs (SDL_Delay(16)); {wait_floor:.2f} µs (plain sleep)", f"{wait_game / wait_delay:.2f}",
    "≤ SDL_Delay's", ok(wait_game <= wait_delay * 1.1), f"`{build}/bench/pace_floor 601 flips.floor`")
calls = {}
for line in open(f"{work}/strace"):
    w = line.split()
    if len(w) >= 5 and w[-1].isidentifier() and w[3].isdigit():
        calls[w[-1]] = int(w[3])
sleeps = calls.get("clock_nanosleep", 0) + calls.get("nanosleep", 0)
# The first wait does not sleep: start-up took longer than a frame.
row("system calls of the game's thread over its first 300 frame waits: sleeps, sched_yield",
    f"{sleeps} sleeps, {calls.get('sched_yield', 0)} sched_yield", "299, 0", "–",
    "one sleep a wait after the first, no yield", ok(calls.get("sched_yield", 0) == 0 and 299 <= sleeps <= 300),
    f"`cd game && SDL_VIDEODRIVER=dummy LD_PRELOAD={build}/bench/libflip_probe.so FLIP_PROBE_FRAMES=301 strace -c ./tavikoro`")
r = pace["returned"]
row("frame period where SDL_Flip returns (the X server has the frame): mean", f"{mean(r):.3f} ms",
    f"{mean(f):.3f} ms", f"{mean(r) / mean(f):.3f}", "report", "–", "same")
row("… 1st, 50th, 99th percentile", f"{pct(r, 0.01):.3f}, {pct(r, 0.5):.3f}, {pct(r, 0.99):.3f} ms",
    f"{pct(f, 0.01):.3f}, {pct(f, 0.5):.3f}, {pct(f, 0.99):.3f} ms", "–", "report", "–", "same")
try:
    d = sorted((int(b) - int(a)) / 1e6 for a, b in (l.split()[:2] for l in open(f"{work}/flips")))
except (OSError, ValueError):
    d = []
row("time inside SDL_Flip under Xvfb (960 x 720 window): 1st, 50th, 99th percentile",
    f"{pct(d, 0.01):.3f}, {pct(d, 0.5):.3f}, {pct(d, 0.99):.3f} ms", "–", "–", "report", "–", "same")
if latency:
    ms = sorted(l[0] for l in latency)
    fr = sorted(l[1] for l in latency)
    row(f"input latency, key down to the first present showing it, {len(latency)} presses under Xvfb",
        f"mean {mean(ms):.1f} ms (min {ms[0]:.1f}, max {ms[-1]:.1f}); {fr[0]} to {fr[-1]} presents, median {fr[len(fr) // 2]}",
        "–", "–", "report", "–",
        "`bench/run.sh` (game with `FLIP_PROBE_HASH=1`, keys from `" + build + "/bench/keypress 40 keys`)")
else:
    row("input latency", "not measured", "–", "–", "report", "**no**", "`bench/run.sh`")
# Variants of a scene's frame against that frame.
for name, base, label in listed:
    if base in ("-", "floor"):
        continue
    us = frames[name]
    row(f"{label}: CPU", f"{us:.1f} µs", f"{frames[base]:.1f} µs ({base})",
        f"{us / frames[base]:.2f}", "report", "–", f"`SDL_VIDEODRIVER=dummy {B} --benchmark_filter='^({name}|{base})$'`")
    row(f"… instructions", f"{ir[name]:,}", f"{ir[base]:,}", f"{ir[name] / ir[base]:.2f}",
        "report", "–", "`" + cg.format(name) + "`")

text = open(out).read() if __import__("os").path.exists(out) else ""
begin, end = "<!-- measurements begin -->", "<!-- measurements end -->"
import os, platform, time
load = " ".join(open("/proc/loadavg").read().split()[:3])
note = (f"Measured {time.strftime('%Y-%m-%d %H:%M')} on {platform.machine()}, {os.cpu_count()} CPUs, "
        f"load average {load} when the run ended.")
table = begin + "\n" + note + "\n\n" + "\n".join(rows) + "\n" + end
if begin in text and end in text:
    text = text[:text.index(begin)] + table + text[text.index(end) + len(end):]
else:
    text = text + "\n" + table + "\n"
open(out, "w").write(text)
print("\n".join(rows))
PY
