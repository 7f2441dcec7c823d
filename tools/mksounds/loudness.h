// How loud a sound is to the ear: the K-weighting of EBU R128 (ITU-R
// BS.1770) and its LUFS scale, measured over a sound's audible part
// without R128's gating, which is made for programmes, not for blips.
#pragma once

#include <cstddef>
#include <vector>

// The weighted signal: a high shelf (+4 dB above 2 kHz, where the ear is
// keenest) and a high-pass that leaves out what is felt more than heard.
std::vector<double> kWeighted(const std::vector<float>& x);

// From the first sample at -40 dBFS to the end of the last 10 ms block that
// is within 20 dB of the sound's loudest block.
struct Span {
  size_t begin = 0, end = 0;
};
Span audiblePart(const std::vector<float>& mono);

// The ear sums a short sound's energy over about a tenth of a second, so no
// loudness is taken over less.
constexpr size_t kHearingWindow = 4410;

// LUFS of a mono effect as the mixer plays it, on both channels, over its
// audible part or the hearing window, whichever is longer.
double effectLoudness(const std::vector<float>& mono);

// LUFS of a stretch of weighted stereo, given its summed mean squares.
double lufs(double meanSquareLeft, double meanSquareRight);

// Highest level between samples too (4 x oversampled), full scale = 1.
double truePeak(const std::vector<float>& x);
