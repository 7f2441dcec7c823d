// A long run of the whole game on the virtual clock with random keys,
// watching for anything that grows: memory, open files, pictures, surfaces.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "walker.h"

namespace soak {

struct Gauges {
    long rssKb = 0;      // VmRSS
    long heapBytes = 0;  // malloc's bytes in use
    int fds = 0;         // open file descriptors
    long frame = 0;      // when they were taken
};

struct Report {
    long framesAsked = 0;
    long frames = 0;  // presented
    long polls = 0;   // frames that ran their wait, each one counted as play time
    int exitCode = -1;
    bool ranToTheEnd = false;     // the game was still running when the frames were done
    int64_t playTimeFrames = -1;  // frames, seconds, minutes and hours of the saved record, in frames
    Gauges start;                 // at the second title, once one game has warmed everything up
    Gauges end;                   // at the last title
    // The harness keeps the start tick of every frame, four bytes each: that
    // much resident growth is the harness's, not the game's.
    long RssGrowthKb() const { return end.rssKb - start.rssKb - (end.frame - start.frame) * 4 / 1024; }
    int fdsMax = 0;
    int visits[kPhaseCount] = {};
    // Non-null picture slots and live pictures as each scene starts, the
    // lowest and highest over the run.
    int slotsMin[kPhaseCount] = {}, slotsMax[kPhaseCount] = {};
    long surfacesMin[kPhaseCount] = {}, surfacesMax[kPhaseCount] = {};
    double seconds = 0;  // wall time
};

Report Run(long frames, uint32_t seed);

// Everything in a report that points at a leak or a miscount; empty when clean.
std::vector<std::string> Problems(const Report& r, long rssSlackKb, long heapSlackBytes);

std::string Describe(const Report& r);

}  // namespace soak
