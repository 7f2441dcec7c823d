#include "wavfile.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>

#include "dsp.h"

namespace {

void put16(std::ofstream& out, uint16_t v) {
    char b[2] = {char(v & 0xff), char(v >> 8)};
    out.write(b, 2);
}

void put32(std::ofstream& out, uint32_t v) {
    put16(out, uint16_t(v & 0xffff));
    put16(out, uint16_t(v >> 16));
}

}  // namespace

void writeWav(const std::string& path, const std::vector<float>& samples) {
    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error(path + ": cannot write");
    // Stereo, as the mixer plays it: a mono file is converted at every start.
    uint32_t bytes = uint32_t(samples.size() * 4);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 2);  // channels
    put32(out, kRate);
    put32(out, kRate * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    for (float s : samples) {
        if (!(std::fabs(s) < 1.0f)) throw std::runtime_error(path + ": sample out of range");
        uint16_t v = uint16_t(int16_t(std::lround(s * 32767.0f)));
        put16(out, v);
        put16(out, v);
    }
    if (!out) throw std::runtime_error(path + ": write failed");
}
