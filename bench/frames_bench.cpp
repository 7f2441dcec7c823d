// CPU time per frame of every scene against the floor (clear plus one
// full-screen keyed blit). With "--count NAME FRAMES" it runs just those
// frames inside counted_frames(), for callgrind's --toggle-collect; with
// "--list" it prints the frames it measures for bench/run.sh, a line each:
// name, the frame it is compared with, its label.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene_frames.h"
#include "scenes/scenes.h"

extern "C" __attribute__((noinline)) void counted_frames(void (*frame)(), int count) {
    for (int i = 0; i < count; i++) frame();
}

namespace {

void RunFrames(benchmark::State& state, const bench::SceneFrame* scene) {
    scene->setUp();
    for (int i = 0; i < 3; i++) scene->frame();  // blit maps and caches settle
    for (auto _ : state) scene->frame();
}

int CountFrames(const char* name, int count) {
    const bench::SceneFrame* scene = bench::FindFrame(name);
    if (!scene) {
        std::fprintf(stderr, "no scene %s\n", name);
        return 2;
    }
    scene->setUp();
    for (int i = 0; i < 3; i++) scene->frame();
    counted_frames(scene->frame, count);
    return 0;
}

void PrintFrame(const bench::SceneFrame& f) { std::printf("%s\t%s\t%s\n", f.name, f.base, f.label); }

// The floor and the other frames of no scene first, then each scene's in the game's order.
void ListFrames() {
    PrintFrame(bench::kFloor);
    for (int i = 0; i < bench::kFrameCount; i++)
        if (bench::kFrames[i].scene == SCENE_END) PrintFrame(bench::kFrames[i]);
    for (const SceneEntry& scene : kScenes) {
        bool measured = false;
        for (int i = 0; i < bench::kFrameCount; i++)
            if (bench::kFrames[i].scene == scene.id) PrintFrame(bench::kFrames[i]), measured = true;
        if (!measured) std::fprintf(stderr, "no frame of the scene %s is measured\n", scene.name);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) return ListFrames(), 0;
    bench::StartGame();
    int status = 0;
    if (argc == 4 && std::strcmp(argv[1], "--count") == 0) {
        status = CountFrames(argv[2], std::atoi(argv[3]));
    } else {
        benchmark::RegisterBenchmark(bench::kFloor.name, RunFrames, &bench::kFloor)->Unit(benchmark::kMicrosecond);
        for (int i = 0; i < bench::kFrameCount; i++)
            benchmark::RegisterBenchmark(bench::kFrames[i].name, RunFrames, &bench::kFrames[i])
                ->Unit(benchmark::kMicrosecond);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    bench::StopGame();
    return status;
}
