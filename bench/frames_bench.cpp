// CPU time per frame of every scene against the floor (clear plus one
// full-screen keyed blit). With "--count NAME FRAMES" it runs just those
// frames inside counted_frames(), for callgrind's --toggle-collect.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene_frames.h"

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
    const bench::SceneFrame* scene = bench::FindScene(name);
    if (!scene) {
        std::fprintf(stderr, "no scene %s\n", name);
        return 2;
    }
    scene->setUp();
    for (int i = 0; i < 3; i++) scene->frame();
    counted_frames(scene->frame, count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::StartGame();
    int status = 0;
    if (argc == 4 && std::strcmp(argv[1], "--count") == 0) {
        status = CountFrames(argv[2], std::atoi(argv[3]));
    } else {
        benchmark::RegisterBenchmark(bench::kFloor.name, RunFrames, &bench::kFloor)->Unit(benchmark::kMicrosecond);
        for (int i = 0; i < bench::kSceneCount; i++)
            benchmark::RegisterBenchmark(bench::kScenes[i].name, RunFrames, &bench::kScenes[i])
                ->Unit(benchmark::kMicrosecond);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    bench::StopGame();
    return status;
}
