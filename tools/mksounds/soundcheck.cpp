// soundcheck <sound dir> [--check]
// Measures the built effects against the game music as the mixer plays them
// at the game's default volume (both at full, simply added): each effect's
// loudness, peaks, onset and how far it stands out over the music, and the
// worst peak of the music with any two effects. Beside the loudness, the
// plain RMS over the whole file against the music's median RMS over windows
// as long. With --check, exits 1 when an effect stands out by less than 6 dB
// (a chop by either measure), a mix can pass -1 dBFS, or the fast chop is not 0.5 to
// 2 dB above the slow one by RMS.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "dsp.h"
#include "effects.h"
#include "loudness.h"

namespace {

std::vector<float> readWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 44 || std::memcmp(bytes.data() + 36, "data", 4) != 0)
        throw std::runtime_error(path + ": not our WAV");
    const size_t frame = 2 * std::max(1, int(bytes[22]));  // the left channel; ours are alike
    std::vector<float> out((bytes.size() - 44) / frame);
    for (size_t i = 0; i < out.size(); ++i) {
        const char* p = bytes.data() + 44 + frame * i;
        int16_t v = int16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
        out[i] = float(v / 32768.0);
    }
    return out;
}

// Interleaved stereo.
std::vector<float> readOgg(const std::string& path) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) throw std::runtime_error(path + ": not OGG Vorbis");
    std::vector<float> s;
    for (;;) {
        float** pcm;
        int section;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) break;
        for (long i = 0; i < n; ++i) s.insert(s.end(), {pcm[0][i], pcm[1][i]});
    }
    ov_clear(&vf);
    return s;
}

double db(double v) { return 20.0 * std::log10(std::max(v, 1e-9)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <sound dir> [--check]\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    bool check = argc > 2 && std::strcmp(argv[2], "--check") == 0;
    bool ok = true;
    try {
        // The music of the title and the game, as a loop: prefix sums of its
        // weighted power in 10 ms blocks, and of its plain power, give its
        // loudness over any window.
        std::vector<float> music = readOgg(dir + "/bgm/02.ogg"), loop = music;
        loop.insert(loop.end(), music.begin(), music.end());
        size_t n = music.size() / 2;
        std::vector<double> power = blockPowers(loop, 2), plain(2 * n + 1, 0.0);
        power.insert(power.begin(), 0.0);
        std::partial_sum(power.begin(), power.end(), power.begin());
        for (size_t i = 0; i < 2 * n; ++i)
            plain[i + 1] =
                plain[i] + (double(loop[2 * i]) * loop[2 * i] + double(loop[2 * i + 1]) * loop[2 * i + 1]) / 2.0;
        double musicPeak = 0.0;
        for (float v : music) musicPeak = std::max(musicPeak, double(std::fabs(v)));
        double musicTruePeak = truePeak(music, 2);
        std::printf("| music 02 | %.1f | %.1f | %.1f | – | %.1f s | – | – | %.1f dB | – |\n",
                    programmeLoudness(music, 2), db(musicPeak), db(musicTruePeak), double(n) / kRate,
                    10.0 * std::log10(plain[n] / double(n)));

        std::vector<double> truePeaks;
        double hit1Rms = 0.0, kanRms = 0.0;
        for (const Effect& e : effects()) {
            std::vector<float> x = readWav(dir + "/se/" + e.name + ".wav");
            Heard part = hear(x);
            size_t window = std::max(kHearingWindow, part.end - part.begin) / kBlock;
            // The music's loudness in that window, wherever in the loop the effect falls (10 ms steps).
            std::vector<double> around;
            for (size_t k = 0; k * kBlock < n; ++k)
                around.push_back(lufs((power[k + window] - power[k]) / double(window)));
            std::sort(around.begin(), around.end());
            double worst = part.lufs - around.back(), typical = part.lufs - around[around.size() / 2];
            double peak = 0.0, energy = 0.0;
            for (float v : x) peak = std::max(peak, double(std::fabs(v))), energy += double(v) * v;
            std::vector<double> plainAround;
            for (size_t p = 0; p < n; p += kBlock) plainAround.push_back(plain[p + x.size()] - plain[p]);
            std::sort(plainAround.begin(), plainAround.end());
            double rms = 10.0 * std::log10(energy / double(x.size()));
            double overRms = 10.0 * std::log10(energy / plainAround[plainAround.size() / 2]);
            if (e.name == "hit1") hit1Rms = rms;
            if (e.name == "kan") kanRms = rms;
            truePeaks.push_back(truePeak(x, 1));
            std::printf("| %s | %.1f | %.1f | %.1f | %.1f ms | %.0f ms | %+.1f dB | %+.1f dB | %.1f dB | %+.1f dB |\n",
                        e.name.c_str(), part.lufs, db(peak), db(truePeaks.back()), 1000.0 * part.begin / kRate,
                        1000.0 * (part.end - part.begin) / kRate, worst, typical, rms, overRms);
            if (worst < 6.0) ok = false;
            bool chop = e.name == "hit1" || e.name == "kan";
            if (chop && overRms < 6.0) ok = false;
        }
        // Any two effects can meet at any moment of the music, so at worst their peaks add.
        std::sort(truePeaks.rbegin(), truePeaks.rend());
        double worstMix = musicTruePeak + truePeaks[0] + truePeaks[1];
        std::printf("\nworst true peak of the music with any two effects: %.1f dBFS\n", db(worstMix));
        if (db(worstMix) > -1.0) ok = false;
        std::printf("the fast chop kan over the slow chop hit1 by RMS: %+.1f dB\n", kanRms - hit1Rms);
        if (kanRms - hit1Rms < 0.5 || kanRms - hit1Rms > 2.0) ok = false;
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "soundcheck: %s\n", ex.what());
        return 2;
    }
    return check && !ok ? 1 : 0;
}
