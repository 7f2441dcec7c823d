#include "drums.h"

#include <cctype>
#include <cmath>

namespace {

std::vector<float> kick(Rng& rng) {
    std::vector<float> out(size_t(0.28 * kRate));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double hz = 48.0 + 120.0 * std::exp(-t / 0.025);
        phase += hz / kRate;
        double body = std::sin(kTwoPi * phase) * std::exp(-t / 0.11);
        double click = rng.next() * std::exp(-t / 0.002) * 0.3;
        out[i] = float(std::min(1.0, t / 0.001) * (body + click));
    }
    return out;
}

std::vector<float> snare(Rng& rng) {
    std::vector<float> out(size_t(0.2 * kRate));
    double phase = 0.0;
    OnePole hp;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        phase += (175.0 + 60.0 * std::exp(-t / 0.01)) / kRate;
        double tone = std::sin(kTwoPi * phase) * std::exp(-t / 0.035) * 0.55;
        double rattle = hp.highpass(rng.next(), 1200.0) * std::exp(-t / 0.055) * 0.8;
        out[i] = float(std::min(1.0, t / 0.0008) * (tone + rattle));
    }
    return out;
}

std::vector<float> metal(Rng& rng, double seconds, double decay, double cutoff, double level) {
    std::vector<float> out(size_t(seconds * kRate));
    OnePole a, b;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double n = b.highpass(a.highpass(rng.next(), cutoff), cutoff);
        out[i] = float(n * std::exp(-t / decay) * level * std::min(1.0, t / 0.0005));
    }
    return out;
}

std::vector<float> tom(Rng& rng) {
    std::vector<float> out(size_t(0.3 * kRate));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        phase += (95.0 + 70.0 * std::exp(-t / 0.05)) / kRate;
        double body = std::sin(kTwoPi * phase) * std::exp(-t / 0.09);
        out[i] = float(std::min(1.0, t / 0.001) * (body + rng.next() * std::exp(-t / 0.004) * 0.2) * 0.8);
    }
    return out;
}

}  // namespace

std::vector<float> drumHit(char kind, Rng& rng) {
    switch (std::tolower(static_cast<unsigned char>(kind))) {
        case 'k':
            return kick(rng);
        case 's':
            return snare(rng);
        case 'h':
            return metal(rng, 0.06, 0.014, 6500.0, 0.45);
        case 'o':
            return metal(rng, 0.32, 0.08, 5500.0, 0.4);
        case 'c':
            return metal(rng, 1.3, 0.35, 3500.0, 0.45);
        case 't':
            return tom(rng);
        default:
            return {};
    }
}
