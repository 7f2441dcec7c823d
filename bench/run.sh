#!/bin/bash
# Runs every speed measurement and writes the table to docs/performance.md.
#
#   bench/run.sh [BUILD_DIR]      (default: build)
#
# Needs Google Benchmark, valgrind and Xvfb (tools/install-deps.sh --tests).
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
         tests/alloc_test game/tavikoro; do
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
for scene in floor present logo title stageselect play result play_zoom2 play_zoom4; do
    SDL_VIDEODRIVER=dummy valgrind --tool=callgrind --toggle-collect=counted_frames \
        --callgrind-out-file="$work/cg.$scene" "$bin/bench/tavikoro_bench" --count "$scene" "$frames" \
        >/dev/null 2>&1
    awk -v n="$frames" '/^totals:/ {printf "%d\n", $2 / n}' "$work/cg.$scene" >"$work/ir.$scene"
done

echo "start-up and memory..." >&2
(cd "$work/game" && SDL_VIDEODRIVER=dummy "$bin/bench/proctime" 21 --probe "$bin/bench/libflip_probe.so" \
    -- ./tavikoro) >"$work/start.game"
SDL_VIDEODRIVER=dummy "$bin/bench/proctime" 21 --probe "$bin/bench/libflip_probe.so" -- "$bin/bench/bare_sdl" \
    >"$work/start.bare"
SDL_VIDEODRIVER=dummy "$bin/bench/proctime" 3 -- "$bin/bench/scripted_game" >"$work/rss.game"
SDL_VIDEODRIVER=dummy "$bin/bench/proctime" 3 -- "$bin/bench/bare_sdl" >"$work/rss.bare"

echo "allocations per frame..." >&2
"$bin/tests/alloc_test" --gtest_output="json:$work/alloc.json" >/dev/null 2>&1 || true

echo "frame period under Xvfb..." >&2
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
(cd "$work/game" && env -u SDL_VIDEODRIVER DISPLAY="$display" LD_PRELOAD="$bin/bench/libflip_probe.so" \
    FLIP_PROBE_FRAMES=601 FLIP_PROBE_OUT="$work/flips" ./tavikoro) || true
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=

python3 - "$work" "$out" "$build" <<'PY'
import json, sys
work, out, build = sys.argv[1:4]

frames = {}
for b in json.load(open(f"{work}/frames.json"))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        frames[b["run_name"]] = b["cpu_time"]  # microseconds
ir = {s: int(open(f"{work}/ir.{s}").read()) for s in
      ["floor", "present", "logo", "title", "stageselect", "play", "result", "play_zoom2", "play_zoom4"]}

def median_line(path):
    for line in open(path):
        if line.startswith("median"):
            w = line.split()
            return float(w[2]), float(w[4])
start_game, _ = median_line(f"{work}/start.game")
start_bare, _ = median_line(f"{work}/start.bare")
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

flips = [int(l) for l in open(f"{work}/flips")] if __import__("os").path.exists(f"{work}/flips") else []
periods = sorted((b - a) / 1e6 for a, b in zip(flips, flips[1:]))
mean = sum(periods) / len(periods) if periods else float("nan")
p99 = periods[min(len(periods) - 1, int(0.99 * len(periods)))] if periods else float("nan")

floor_us, floor_ir = frames["floor"], ir["floor"]
present_us, present_ir = frames["present"], ir["present"]
ok = lambda c: "yes" if c else "**no**"
B = f"{build}/bench/tavikoro_bench"
rows = []
def row(*cells): rows.append("| " + " | ".join(str(c) for c in cells) + " |")

row("measurement", "value", "floor (same run)", "ratio", "goal", "met", "reproduce")
row(*["---"] * 7)
for scene, label in [("logo", "logo"), ("title", "title"), ("stageselect", "stage select"),
                     ("play", "play, 40 pieces + 80 numbers"), ("result", "result")]:
    us = frames[scene]
    row(f"frame CPU, {label}", f"{us:.1f} µs", f"{floor_us:.1f} µs", f"{us / floor_us:.2f}", "≤ 1.5", ok(us / floor_us <= 1.5),
        f"`SDL_VIDEODRIVER=dummy {B} --benchmark_filter='^({scene}|floor)$'`")
    row(f"… without the present", f"{us - present_us:.1f} µs", f"{floor_us:.1f} µs",
        f"{(us - present_us) / floor_us:.2f}", "≤ 1.5", ok((us - present_us) / floor_us <= 1.5),
        f"same, minus `present`")
row("present alone (SDL_Flip, sdl12-compat)", f"{present_us:.1f} µs", f"{floor_us:.1f} µs",
    f"{present_us / floor_us:.2f}", "–", "–", f"`SDL_VIDEODRIVER=dummy {B} --benchmark_filter='^(present|floor)$'`")
cg = "valgrind --tool=callgrind --toggle-collect=counted_frames " + B + " --count {} 50"
for scene in ["play", "logo", "result"]:
    r = ir[scene] / floor_ir
    row(f"instructions per {scene} frame", f"{ir[scene]:,}", f"{floor_ir:,}", f"{r:.2f}",
        "≤ 1.5" if scene == "play" else "–", ok(r <= 1.5) if scene == "play" else "–", "`" + cg.format(scene) + "`")
    row(f"… without the present", f"{ir[scene] - present_ir:,}", f"{floor_ir:,}", f"{(ir[scene] - present_ir) / floor_ir:.2f}",
        "≤ 1.5" if scene == "play" else "–", ok((ir[scene] - present_ir) / floor_ir <= 1.5) if scene == "play" else "–",
        "same for `present`")
row("instructions of the present alone", f"{present_ir:,}", f"{floor_ir:,}", f"{present_ir / floor_ir:.2f}", "–", "–",
    "`" + cg.format("present") + "`")
r = start_game / start_bare
row("start to first presented frame", f"{start_game:.1f} ms", f"{start_bare:.1f} ms", f"{r:.2f}", "≤ 1.3 and < 100 ms",
    ok(r <= 1.3 and start_game < 100),
    f"`cd game && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy {build}/bench/proctime 21 --probe {build}/bench/libflip_probe.so -- ./tavikoro` (floor: `… -- {build}/bench/bare_sdl`)")
worst = max(alloc.values()) if alloc else None
row("heap allocations per frame, worst steady frame of any scene",
    ", ".join(f"{k} {v}" for k, v in alloc.items()) if alloc else "not measured", "0", "–", "0",
    ok(worst == 0) if alloc else "**no**", f"`{build}/tests/alloc_test`")
extra = (rss_game - rss_bare) / 1024
row("peak resident memory, whole scripted game", f"{rss_game / 1024:.1f} MiB", f"{rss_bare / 1024:.1f} MiB",
    f"+{extra:.1f} MiB", "≤ +10 MiB", ok(extra <= 10),
    f"`SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy {build}/bench/proctime 3 -- {build}/bench/scripted_game` (floor: `… -- {build}/bench/bare_sdl`)")
row("frame period, real clock, 600 frames under Xvfb: mean", f"{mean:.2f} ms", "16 ms", f"{mean / 16:.3f}",
    "16.0 to 16.5 ms", ok(16.0 <= mean <= 16.5),
    "`Xvfb :99 & cd game && DISPLAY=:99 SDL_AUDIODRIVER=dummy LD_PRELOAD=" + build + "/bench/libflip_probe.so FLIP_PROBE_FRAMES=601 FLIP_PROBE_OUT=flips ./tavikoro`")
row("… 99th percentile", f"{p99:.2f} ms", "16 ms", f"{p99 / 16:.3f}", "< 17.5 ms", ok(p99 < 17.5), "same")
for z in (2, 4):
    us = frames[f"play_zoom{z}"]
    row(f"magnified play frame, zoom {z}: CPU", f"{us:.1f} µs", f"{frames['play']:.1f} µs (unmagnified)",
        f"{us / frames['play']:.2f}", "report", "–", f"`SDL_VIDEODRIVER=dummy {B} --benchmark_filter='^play'`")
    row(f"… instructions", f"{ir[f'play_zoom{z}']:,}", f"{ir['play']:,}", f"{ir[f'play_zoom{z}'] / ir['play']:.2f}",
        "report", "–", "`" + cg.format(f"play_zoom{z}") + "`")

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
