#include "loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <stdexcept>

#include "dsp.h"

namespace {

using Meter = std::unique_ptr<ebur128_state, void (*)(ebur128_state*)>;

Meter meter(const std::vector<float>& audio, unsigned channels, int mode, size_t frames) {
    Meter m(ebur128_init(channels, kRate, mode), [](ebur128_state* s) { ebur128_destroy(&s); });
    if (!m) throw std::runtime_error("libebur128 cannot start a measurement");
    if (channels == 1) ebur128_set_channel(m.get(), 0, EBUR128_DUAL_MONO);
    if (frames > 0) ebur128_add_frames_float(m.get(), audio.data(), frames);
    return m;
}

}  // namespace

std::vector<double> blockPowers(const std::vector<float>& audio, unsigned channels, size_t from) {
    size_t frames = audio.size() / channels;
    size_t blocks = frames > from ? (frames - from + kBlock - 1) / kBlock : 0;
    std::vector<float> padded = audio;
    padded.resize((from + blocks * kBlock) * channels, 0.0f);
    Meter m = meter(padded, channels, EBUR128_MODE_M, from);
    std::vector<double> powers;
    for (size_t k = 0; k < blocks; ++k) {
        ebur128_add_frames_float(m.get(), padded.data() + (from + k * kBlock) * channels, kBlock);
        double l = 0.0;
        ebur128_loudness_window(m.get(), 10, &l);
        powers.push_back(std::pow(10.0, (l + 0.691) / 10.0));
    }
    return powers;
}

double lufs(double power) { return -0.691 + 10.0 * std::log10(std::max(1e-20, power)); }

Heard hear(const std::vector<float>& mono) {
    Heard h;
    while (h.begin < mono.size() && std::fabs(mono[h.begin]) < 0.01f) ++h.begin;
    std::vector<double> blocks = blockPowers(mono, 1, h.begin);
    double loudest = blocks.empty() ? 0.0 : *std::max_element(blocks.begin(), blocks.end());
    size_t last = 0;
    for (size_t k = 0; k < blocks.size(); ++k)
        if (blocks[k] >= loudest * 0.01) last = k;
    size_t count = std::min(blocks.size(), last + 1);
    h.end = h.begin + count * kBlock;
    double energy = std::accumulate(blocks.begin(), blocks.begin() + count, 0.0);
    h.lufs = lufs(energy / double(std::max(kHearingWindow / kBlock, count)));
    return h;
}

double programmeLoudness(const std::vector<float>& audio, unsigned channels) {
    Meter m = meter(audio, channels, EBUR128_MODE_I, audio.size() / channels);
    double l = 0.0;
    ebur128_loudness_global(m.get(), &l);
    return l;
}

double truePeak(const std::vector<float>& audio, unsigned channels) {
    Meter m = meter(audio, channels, EBUR128_MODE_TRUE_PEAK, audio.size() / channels);
    double peak = 0.0;
    for (unsigned c = 0; c < channels; ++c) {
        double p = 0.0;
        ebur128_true_peak(m.get(), c, &p);
        peak = std::max(peak, p);
    }
    return peak;
}
