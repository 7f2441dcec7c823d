#include "effects.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"
#include "loudness.h"

namespace {

using Samples = std::vector<float>;

Samples blank(double seconds) { return Samples(size_t(seconds * kRate), 0.0f); }
double at(size_t i) { return double(i) / kRate; }

// Instant-ish attack then exponential fall: the shape of anything struck.
double strike(double t, double attack, double tau) { return std::min(1.0, t / attack) * std::exp(-t / tau); }

// A sine swept exponentially from `from` to `to` Hz over `sweep` seconds, written from `start`.
void chirp(Samples& out, double start, double from, double to, double sweep, double tau, double level) {
    double phase = 0.0;
    for (size_t i = size_t(start * kRate); i < out.size(); ++i) {
        double t = at(i) - start;
        double hz = from * std::pow(to / from, std::min(1.0, t / sweep));
        phase += hz / kRate;
        out[i] += float(level * strike(t, 0.002, tau) * std::sin(kTwoPi * phase));
    }
}

// Time's up: a referee-style trilled whistle, "pi-piii", over a bright gong.
Samples tavi() {
    Samples out = blank(1.0);
    Rng rng;
    Svf breath;
    double gong = 0.0, mod = 0.0, whistle = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        gong += 392.0 / kRate;
        mod += 392.0 * 1.41 / kRate;
        double index = 2.5 * std::exp(-t / 0.25);
        double bell = std::sin(kTwoPi * gong + index * std::sin(kTwoPi * mod)) * strike(t, 0.001, 0.4);

        bool blast = t < 0.13 || (t > 0.19 && t < 0.86);
        double start = t < 0.13 ? 0.0 : 0.19;
        double end = t < 0.13 ? 0.13 : 0.86;
        double shape = blast ? std::min({1.0, (t - start) / 0.004, (end - t) / 0.02}) : 0.0;
        // The pea in the whistle rattles: a fast warble in both pitch and level.
        double trill = std::sin(kTwoPi * 29.0 * t);
        double hz = (2350.0 + 250.0 * std::min(1.0, (t - start) / 0.08)) * (1.0 + 0.035 * trill);
        whistle += hz / kRate;
        double air = breath.run(rng.next(), hz, 4.0).band;
        double pipe = (std::sin(kTwoPi * whistle) + 0.15 * std::sin(2.0 * kTwoPi * whistle) + 0.4 * air) *
                      (0.78 + 0.22 * trill) * shape;
        double fade = std::min(1.0, (1.0 - t) / 0.1);
        out[i] = float((0.55 * bell + 0.5 * pipe) * fade);
    }
    return out;
}

// Ordinary chop: a low knock with a woody body and almost no ring.
Samples hit1() {
    Samples out = blank(0.2);
    Rng rng;
    Svf wood;
    OnePole soft;
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        phase += (105.0 + 95.0 * std::exp(-t / 0.012)) / kRate;
        double body = std::sin(kTwoPi * phase) * strike(t, 0.0008, 0.045);
        double n = rng.next();
        double knock = wood.run(n, 650.0, 3.0).band * strike(t, 0.0005, 0.022) * 2.2;
        double click = soft.lowpass(n, 2500.0) * strike(t, 0.0003, 0.0025) * 1.5;
        double ring = std::sin(kTwoPi * 410.0 * t) * strike(t, 0.001, 0.025) * 0.25;
        out[i] = float(body + knock + click + ring);
    }
    return out;
}

// Fast chop: a hard, high crack with a pitched ping, then a rising sparkle as the reward.
Samples kan() {
    Samples out = blank(0.32);
    Rng rng;
    OnePole a, b;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        double crack = b.highpass(a.highpass(rng.next(), 2200.0), 2200.0) * strike(t, 0.0002, 0.004) * 1.4;
        double ping = std::sin(kTwoPi * 1760.0 * t) * strike(t, 0.0005, 0.06) * 0.75 +
                      std::sin(kTwoPi * 1760.0 * 2.76 * t) * strike(t, 0.0005, 0.02) * 0.3;
        out[i] = float(crack + ping);
    }
    const double sparkle[] = {2637.0, 3136.0, 4186.0};  // E7 G7 C8: a major arpeggio up
    for (int k = 0; k < 3; ++k) chirp(out, 0.05 + 0.05 * k, sparkle[k], sparkle[k], 1.0, 0.045, 0.28);
    return out;
}

// The signal: two hard square tones a fourth apart, over before the player can think.
Samples oo() {
    Samples out = blank(0.15);
    OnePole tame;
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        double hz = t < 0.07 ? 1318.5 : 1760.0;  // E6 then A6
        double dt = hz / kRate;
        phase = std::fmod(phase + dt, 1.0);
        double level = std::min({1.0, t / 0.0005, (0.15 - t) / 0.006});
        out[i] = float(tame.lowpass(pulseWave(phase, dt, 0.5), 7000.0) * level);
    }
    return out;
}

// Text blip: a soft, short tick of pitch, quiet in character even at full level.
Samples msg() {
    Samples out = blank(0.06);
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        double dt = 1046.5 / kRate;
        phase = std::fmod(phase + dt, 1.0);
        double tone = 0.7 * triangleWave(phase) + 0.3 * pulseWave(phase, dt, 0.25);
        out[i] = float(tone * strike(t, 0.0008, 0.018));
    }
    return out;
}

// Menu cursor: the smallest possible tick.
Samples cursorTick() {
    Samples out = blank(0.028);
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        double dt = (2637.0 - 600.0 * t / 0.028) / kRate;
        phase = std::fmod(phase + dt, 1.0);
        out[i] = float(pulseWave(phase, dt, 0.25) * strike(t, 0.0004, 0.006));
    }
    return out;
}

// Swish: breathy noise whose band sweeps up and back down as the axe passes.
Samples sw() {
    Samples out = blank(0.26);
    Rng rng;
    Svf band;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        double sweep = std::sin(kPi * std::min(1.0, t / 0.24));
        double cutoff = 700.0 + 4300.0 * sweep * sweep;
        double level = t < 0.09 ? 0.45 + 0.55 * std::sin(kPi / 2.0 * t / 0.09) : std::exp(-(t - 0.09) / 0.05);
        out[i] = float(band.run(rng.next(), cutoff, 1.6).band * level * std::min(1.0, t / 0.001));
    }
    return out;
}

// Jump: a springy tone that shoots up an octave and a half, wobbling like a spring.
Samples jump() {
    Samples out = blank(0.26);
    OnePole tame;
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = at(i);
        double rise = 196.0 * std::pow(2.0, 1.6 * std::min(1.0, t / 0.2));
        double hz = rise * (1.0 + 0.06 * std::exp(-t / 0.08) * std::sin(kTwoPi * 22.0 * t));
        double dt = hz / kRate;
        phase = std::fmod(phase + dt, 1.0);
        double level = std::min({1.0, t / 0.0008, (0.26 - t) / 0.06});
        out[i] = float(tame.lowpass(pulseWave(phase, dt, 0.35), 4000.0) * level);
    }
    return out;
}

// Bubbly pop: two quick upward-sliding sine bubbles, the second smaller.
Samples puwa() {
    Samples out = blank(0.2);
    chirp(out, 0.0, 320.0, 1150.0, 0.045, 0.045, 1.0);
    chirp(out, 0.065, 480.0, 1500.0, 0.04, 0.035, 0.6);
    return out;
}

}  // namespace

// By loudness, not peak. Every effect stands at least 6 dB over the music
// around it; the fast chop is the reward and sits above the slow one; the
// signal is clear but no louder; the menu ticks are the quietest.
const std::vector<Effect>& effects() {
    static const std::vector<Effect> list = {
        {"tavi", tavi, -16.0}, {"hit1", hit1, -16.6}, {"kan", kan, -13.8},
        {"oo", oo, -16.5},     {"msg", msg, -17.0},   {"select", cursorTick, -17.0},
        {"sw", sw, -16.5},     {"jump", jump, -16.5}, {"puwa", puwa, -16.5},
    };
    return list;
}

namespace {

// Above the knee, levels bend smoothly towards the ceiling and never reach it.
float limit(float x, float ceiling) {
    const float knee = 0.6f * ceiling;
    float a = std::fabs(x);
    if (a <= knee) return x;
    float bent = knee + (ceiling - knee) * std::tanh((a - knee) / (ceiling - knee));
    return x < 0.0f ? -bent : bent;
}

}  // namespace

std::vector<float> finishEffect(std::vector<float> samples, double loudness) {
    size_t fade = std::min(samples.size(), size_t(0.003 * kRate));
    for (size_t i = 0; i < fade; ++i) samples[samples.size() - 1 - i] *= float(i) / float(fade);
    // Limiting takes some loudness away, and sharp sounds peak higher between
    // their samples than on them: level and limit again until both hold.
    float ceiling = kEffectCeiling;
    std::vector<float> original = samples;
    for (int pass = 0; pass < 24; ++pass) {
        samples = original;
        for (int level = 0; level < 8; ++level) {
            float gain = float(std::pow(10.0, (loudness - hear(samples).lufs) / 20.0));
            float peak = 0.0f;
            for (float& s : samples) {
                s *= gain;
                peak = std::max(peak, std::fabs(s));
            }
            if (peak <= ceiling) break;
            for (float& s : samples) s = limit(s, ceiling);
        }
        double over = truePeak(samples, 1) / kEffectCeiling;
        if (over <= 1.0) break;
        ceiling = float(ceiling / std::max(over, 1.01));
    }
    return samples;
}
