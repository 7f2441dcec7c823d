// Drum hits for the music: synthesised fresh every hit so repeats don't sound pasted.
#pragma once

#include <vector>

#include "dsp.h"

// kind: k kick, s snare, h closed hat, o open hat, c crash, t tom (case ignored).
std::vector<float> drumHit(char kind, Rng& rng);
