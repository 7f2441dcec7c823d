// The floor for the frame period: a plain sleep to 16 ms deadlines, each
// counted from the end of the previous wait, and nothing else. Writes the
// time of each of FRAMES "presents" in nanoseconds, one per line, to OUT.
// Then prints the processor time of this thread per wait for three waits
// of 16 ms, taken in turn: that sleep, the game's own wait (through its
// clock and sleep) and SDL_Delay(16).
//
//   pace_floor FRAMES OUT
#include <SDL.h>
#include <sys/prctl.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/frame.h"
#include "platform/host.h"

static long long Ns(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

static void FloorWait(long long& previous) {
    long long deadline = previous + kFrameUs * 1000LL;
    timespec at = {static_cast<time_t>(deadline / 1000000000), static_cast<long>(deadline % 1000000000)};
    if (Ns(CLOCK_MONOTONIC) < deadline) clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
    previous = Ns(CLOCK_MONOTONIC);
}

static void GameWait(uint32_t& previous) {
    uint32_t elapsed = g_host.clockUs() - previous;
    if (elapsed < kFrameUs) g_host.sleepUs(kFrameUs - elapsed);
    previous = g_host.clockUs();
}

// Processor time of one wait of this thread, in microseconds.
template <typename Wait>
static double CpuOf(Wait wait) {
    long long start = Ns(CLOCK_THREAD_CPUTIME_ID);
    wait();
    return (Ns(CLOCK_THREAD_CPUTIME_ID) - start) / 1000.0;
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    int frames = std::atoi(argv[1]);
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // as the game's sleep has it
    std::vector<long long> times;
    times.reserve(static_cast<size_t>(frames));
    long long previous = Ns(CLOCK_MONOTONIC);
    for (int i = 0; i < frames; i++) {
        times.push_back(Ns(CLOCK_MONOTONIC));
        FloorWait(previous);
    }
    FILE* f = std::fopen(argv[2], "w");
    if (!f) return 1;
    for (long long t : times) std::fprintf(f, "%lld\n", t);
    std::fclose(f);

    // The three waits in turn, so that each sees the same moments of a
    // shared machine: 300 of each.
    SDL_Init(SDL_INIT_TIMER);
    double floorCpu = 0, gameCpu = 0, delayCpu = 0;
    previous = Ns(CLOCK_MONOTONIC);
    uint32_t gamePrevious = g_host.clockUs();
    constexpr int kWaits = 300;
    for (int i = 0; i < kWaits; i++) {
        floorCpu += CpuOf([&] { FloorWait(previous); });
        gamePrevious = g_host.clockUs();
        gameCpu += CpuOf([&] { GameWait(gamePrevious); });
        delayCpu += CpuOf([] { SDL_Delay(kFrameMs); });
        previous = Ns(CLOCK_MONOTONIC);
    }
    std::printf("wait_cpu_us_per_frame floor %.2f game %.2f sdl_delay %.2f\n", floorCpu / kWaits, gameCpu / kWaits,
                delayCpu / kWaits);
    SDL_Quit();
    return 0;
}
