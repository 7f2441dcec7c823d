// The floor for the frame period: the game's own clock and sleep, holding
// the same 16 ms deadlines as its frame wait, and nothing else. Writes the
// time of each of FRAMES "presents" in nanoseconds, one per line, to OUT.
//
//   pace_floor FRAMES OUT
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/frame.h"
#include "platform/seams.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    int frames = std::atoi(argv[1]);
    std::vector<long long> times;
    times.reserve(static_cast<size_t>(frames));
    uint32_t previous = 0;
    for (int i = 0; i < frames; i++) {
        timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        times.push_back(t.tv_sec * 1000000000LL + t.tv_nsec);
        uint32_t elapsed = g_seams.clockUs() - previous;
        if (elapsed < kFrameUs) g_seams.sleepUs(kFrameUs - elapsed);
        previous = g_seams.clockUs();
    }
    FILE* f = std::fopen(argv[2], "w");
    if (!f) return 1;
    for (long long t : times) std::fprintf(f, "%lld\n", t);
    std::fclose(f);
    return 0;
}
