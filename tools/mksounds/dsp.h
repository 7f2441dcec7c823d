// Oscillators, envelopes and filters shared by the music and the effects.
#pragma once

#include <cstdint>

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

double noteHz(double midi);

// Deterministic noise, so every build produces the same files.
struct Rng {
    uint32_t state = 0x9e3779b9u;
    float next();  // white, -1..1
};

// phase in [0,1), dt = frequency / kRate
double pulseWave(double phase, double dt, double duty);
double sawWave(double phase, double dt);
double triangleWave(double phase);

struct Adsr {
    double a = 0.003, d = 0.1, s = 0.7, r = 0.05;  // seconds, level, seconds
};
// Level t seconds after the note starts when the key is held for `gate` seconds.
double adsrLevel(const Adsr& e, double t, double gate);
double adsrEnd(const Adsr& e, double gate);

struct OnePole {
    double y = 0.0;
    double lowpass(double x, double cutoffHz);
    double highpass(double x, double cutoffHz) { return x - lowpass(x, cutoffHz); }
};

// Resonant state-variable filter; cutoff may change every sample for sweeps.
struct Svf {
    double ic1 = 0.0, ic2 = 0.0;
    struct Out {
        double low, band, high;
    };
    Out run(double x, double cutoffHz, double q);
};
