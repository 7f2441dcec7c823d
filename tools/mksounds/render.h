// Turns a score into audio.
#pragma once

#include <vector>

#include "score.h"

struct Stereo {
    std::vector<float> left, right;
};

// A looping score renders to exactly its song length with every tail wrapped round
// into the start, so the file's end flows into its beginning. A non-looping one
// gets its tails appended instead. Peak is scaled to score.peak.
Stereo renderScore(const Score& score);
