#include "dsp.h"

#include <algorithm>
#include <cmath>

double noteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

float Rng::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return float(state >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

// PolyBLEP residual: rounds off the hard edges so high notes don't alias into a whine.
static double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double pulseWave(double phase, double dt, double duty) {
    double v = phase < duty ? 1.0 : -1.0;
    v += blep(phase, dt);
    v -= blep(std::fmod(phase + 1.0 - duty, 1.0), dt);
    return v;
}

double sawWave(double phase, double dt) { return 2.0 * phase - 1.0 - blep(phase, dt); }

double triangleWave(double phase) { return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase; }

static double heldLevel(const Adsr& e, double t) {
    if (t < e.a) return t / e.a;
    t -= e.a;
    // Exponential decay sounds like a plucked string rather than a ramp.
    return e.s + (1.0 - e.s) * std::exp(-5.0 * t / std::max(e.d, 1e-4));
}

double adsrLevel(const Adsr& e, double t, double gate) {
    if (t < 0.0) return 0.0;
    if (t < gate) return heldLevel(e, t);
    double u = (t - gate) / std::max(e.r, 1e-4);
    if (u >= 1.0) return 0.0;
    return heldLevel(e, gate) * (1.0 - u) * (1.0 - u);
}

double adsrEnd(const Adsr& e, double gate) { return gate + e.r; }

double OnePole::lowpass(double x, double cutoffHz) {
    double a = 1.0 - std::exp(-kTwoPi * cutoffHz / kRate);
    y += a * (x - y);
    return y;
}

Svf::Out Svf::run(double x, double cutoffHz, double q) {
    double g = std::tan(kPi * std::min(cutoffHz, kRate * 0.45) / kRate);
    double k = 1.0 / q;
    double a1 = 1.0 / (1.0 + g * (g + k));
    double a2 = g * a1;
    double a3 = g * a2;
    double v3 = x - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    return {v2, v1, x - k * v1 - v2};
}
