#include "render.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "drums.h"

namespace {

// A mono buffer that, for loops, folds anything written past the end back to the start.
struct Track {
    std::vector<float> data;
    size_t wrap = 0;  // loop length, 0 = no folding

    void add(size_t i, double v) {
        if (wrap)
            data[i % wrap] += float(v);
        else if (i < data.size())
            data[i] += float(v);
    }
};

double oscillator(const Voice& v, double phase, double dt, double modulation) {
    switch (v.wave) {
        case Wave::Pulse:
            return pulseWave(phase, dt, v.duty);
        case Wave::Saw:
            return sawWave(phase, dt);
        case Wave::Triangle:
            return triangleWave(phase);
        case Wave::Sine:
            return std::sin(kTwoPi * phase);
        case Wave::Fm:
            return std::sin(kTwoPi * phase + modulation);
        case Wave::Drums:
            break;
    }
    return 0.0;
}

void renderNote(const Voice& v, const Event& e, double stepSec, size_t start, Track& out) {
    // A hair of silence before the next note so repeated notes are heard as separate.
    double gate = e.length * stepSec - std::min(0.012, 0.25 * stepSec);
    size_t count = size_t(adsrEnd(v.env, gate) * kRate) + 1;
    bool arpeggio = v.arp > 0.0 && e.notes.size() > 1;
    size_t voices = arpeggio ? 1 : e.notes.size();
    double gain = v.gain / std::sqrt(double(voices));
    double detune = std::pow(2.0, v.detune / 1200.0);

    for (size_t n = 0; n < voices; ++n) {
        double phase = 0.0, phase2 = 0.25, modPhase = 0.0;
        OnePole lp1, lp2;
        for (size_t i = 0; i < count; ++i) {
            double t = double(i) / kRate;
            double level = adsrLevel(v.env, t, gate);
            int midi = arpeggio ? e.notes[size_t(t / (v.arp * stepSec)) % e.notes.size()] : e.notes[n];
            double pitch = midi;
            if (v.vib > 0.0 && t > v.vibDelay)
                pitch +=
                    v.vib * std::min(1.0, (t - v.vibDelay) / 0.15) * std::sin(kTwoPi * v.vibRate * (t - v.vibDelay));
            double hz = noteHz(pitch);
            double dt = hz / kRate;
            double modulation = 0.0;
            if (v.wave == Wave::Fm) {
                modPhase += dt * v.ratio;
                // The brightness fades faster than the note: a struck, bell-ish tone.
                modulation = v.index * (0.25 + 0.75 * std::exp(-t / 0.12)) * std::sin(kTwoPi * modPhase);
            }
            double s = oscillator(v, phase, dt, modulation);
            if (v.detune > 0.0) {
                s = 0.6 * (s + oscillator(v, phase2, dt * detune, modulation));
                phase2 = std::fmod(phase2 + dt * detune, 1.0);
            }
            phase = std::fmod(phase + dt, 1.0);
            if (v.lowpass > 0.0) s = lp2.lowpass(lp1.lowpass(s, v.lowpass), v.lowpass);
            out.add(start + i, s * level * gain);
        }
    }
}

// Wet part of a feedback delay; for loops it is solved round the circle until it settles.
std::vector<float> echoOf(const Track& dry, size_t delay, double feedback) {
    size_t n = dry.data.size();
    std::vector<float> wet(n, 0.0f);
    if (delay == 0 || delay >= n) return wet;
    int passes = dry.wrap ? int(std::ceil(std::log(1e-4) / std::log(std::max(feedback, 0.01)))) + 1 : 1;
    for (int p = 0; p < passes; ++p) {
        for (size_t i = 0; i < n; ++i) {
            if (!dry.wrap && i < delay) continue;
            size_t j = (i + n - delay) % n;
            wet[i] = float(feedback * (dry.data[j] + wet[j]));
        }
    }
    return wet;
}

void panInto(const std::vector<float>& mono, double pan, Stereo& mix) {
    double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    double l = std::cos(angle) * std::sqrt(2.0), r = std::sin(angle) * std::sqrt(2.0);
    for (size_t i = 0; i < mono.size(); ++i) {
        mix.left[i] += float(mono[i] * l);
        mix.right[i] += float(mono[i] * r);
    }
}

// Pulse waves carry DC; a gentle high-pass keeps it from eating headroom.
// For loops the filter runs round once to warm up so its state is continuous at the seam.
void removeDc(std::vector<float>& x, bool loop) {
    OnePole lp;
    if (loop)
        for (float s : x) lp.lowpass(s, 12.0);
    for (float& s : x) s = float(s - lp.lowpass(s, 12.0));
}

}  // namespace

Stereo renderScore(const Score& score) {
    double step = score.stepSeconds();
    size_t length = size_t(std::llround(score.steps * step * kRate));
    size_t total = score.loop ? length : length + size_t(4 * kRate);
    Stereo mix{std::vector<float>(total, 0.0f), std::vector<float>(total, 0.0f)};

    for (size_t v = 0; v < score.voices.size(); ++v) {
        const Voice& voice = score.voices[v];
        Track track{std::vector<float>(total, 0.0f), score.loop ? length : 0};
        Rng rng{0x1234567u + 977u * uint32_t(v)};
        for (const Event& e : score.events[v]) {
            size_t start = size_t(std::llround(e.step * step * kRate));
            if (voice.wave != Wave::Drums) {
                renderNote(voice, e, step, start, track);
                continue;
            }
            for (char hit : e.hits) {
                double level = voice.gain * (std::isupper(static_cast<unsigned char>(hit)) ? 1.0 : 0.6);
                auto sound = drumHit(hit, rng);
                for (size_t i = 0; i < sound.size(); ++i) track.add(start + i, sound[i] * level);
            }
        }
        panInto(track.data, voice.pan, mix);
        if (voice.echo > 0.0) {
            auto wet = echoOf(track, size_t(std::llround(voice.echo * step * kRate)), voice.feedback);
            panInto(wet, voice.pan == 0.0 ? 0.5 : -voice.pan, mix);
        }
    }

    removeDc(mix.left, score.loop);
    removeDc(mix.right, score.loop);

    if (!score.loop) {
        size_t end = total;
        while (end > length && std::fabs(mix.left[end - 1]) < 1e-4f && std::fabs(mix.right[end - 1]) < 1e-4f) --end;
        mix.left.resize(end);
        mix.right.resize(end);
        size_t fade = std::min(end, size_t(0.02 * kRate));
        for (size_t i = 0; i < fade; ++i) {
            float g = float(i) / float(fade);
            mix.left[end - 1 - i] *= g;
            mix.right[end - 1 - i] *= g;
        }
    }

    float peak = 1e-9f;
    for (size_t i = 0; i < mix.left.size(); ++i)
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    float scale = float(score.peak) / peak;
    for (size_t i = 0; i < mix.left.size(); ++i) {
        mix.left[i] *= scale;
        mix.right[i] *= scale;
    }
    return mix;
}
