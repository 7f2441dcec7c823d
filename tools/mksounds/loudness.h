// How loud a sound is to the ear: the K-weighting of EBU R128 (ITU-R
// BS.1770) and its LUFS scale, as libebur128 measures them. An effect is
// measured over its audible part without R128's gating, which is made for
// programmes, not for blips.
#pragma once

#include <cstddef>
#include <vector>

// The ear sums a short sound's energy over about a tenth of a second, so no
// effect's loudness is taken over less.
constexpr size_t kHearingWindow = 4410;
constexpr size_t kBlock = 441;  // 10 ms

// A mono effect as the mixer plays it, on both channels. Its audible part
// runs from the first sample at -40 dBFS to the end of the last 10 ms block
// within 20 dB of its loudest block; its loudness is taken over that part
// or the hearing window, whichever is longer.
struct Heard {
    size_t begin = 0, end = 0;  // the end may lie in the silence after the file
    double lufs = 0.0;
};
Heard hear(const std::vector<float>& mono);

// The mean K-weighted power of every 10 ms block of interleaved audio from
// frame `from` on, summed over the channels (a single one counts twice, as
// it plays on both); the last block is filled up with silence.
std::vector<double> blockPowers(const std::vector<float>& audio, unsigned channels, size_t from = 0);

// LUFS of a mean K-weighted power.
double lufs(double power);

// R128's integrated, gated loudness of a programme such as the music.
double programmeLoudness(const std::vector<float>& audio, unsigned channels);

// Highest level between samples too, of any channel; full scale = 1.
double truePeak(const std::vector<float>& audio, unsigned channels);
