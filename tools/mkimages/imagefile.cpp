#include "imagefile.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void le16(Bytes& b, uint32_t v) {
    b.push_back(v & 0xff);
    b.push_back((v >> 8) & 0xff);
}
void le32(Bytes& b, uint32_t v) {
    le16(b, v & 0xffff);
    le16(b, v >> 16);
}
void be32(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back((v >> s) & 0xff);
}

void save(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void chunk(Bytes& png, const char* type, const Bytes& data) {
    be32(png, static_cast<uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    be32(png, crc32(body.data(), body.size()));
}

// A zlib stream of stored blocks: bigger than real compression, but icons are tiny
// and it keeps the tool free of libraries.
Bytes zlib_stored(const Bytes& raw) {
    Bytes z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        le16(z, static_cast<uint32_t>(n));
        le16(z, static_cast<uint32_t>(~n & 0xffff));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    be32(z, (b << 16) | a);
    return z;
}

}  // namespace

void write_bmp(const std::string& path, const Canvas& c, const Palette& pal) {
    const uint32_t stride = (c.w + 3) & ~3u;
    const uint32_t data_at = 14 + 40 + 256 * 4;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    le32(b, data_at + stride * c.h);
    le32(b, 0);
    le32(b, data_at);
    le32(b, 40);
    le32(b, c.w);
    le32(b, c.h);
    le16(b, 1);
    le16(b, 8);
    le32(b, 0);
    le32(b, stride * c.h);
    le32(b, 2835);
    le32(b, 2835);
    le32(b, 256);
    le32(b, 0);
    for (const Rgb& e : pal.rgb) {
        b.push_back(e.b);
        b.push_back(e.g);
        b.push_back(e.r);
        b.push_back(0);
    }
    for (int y = c.h - 1; y >= 0; --y) {
        for (int x = 0; x < c.w; ++x) b.push_back(pixel(c, x, y));
        for (uint32_t x = c.w; x < stride; ++x) b.push_back(0);
    }
    save(path, b);
}

void write_png(const std::string& path, const Canvas& c, const Palette& pal) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes ihdr;
    be32(ihdr, c.w);
    be32(ihdr, c.h);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk(png, "IHDR", ihdr);
    Bytes raw;
    for (int y = 0; y < c.h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < c.w; ++x) {
            uint8_t i = pixel(c, x, y);
            const Rgb& e = pal.rgb[i];
            raw.insert(raw.end(), {e.r, e.g, e.b, uint8_t(i == 0 ? 0 : 255)});
        }
    }
    chunk(png, "IDAT", zlib_stored(raw));
    chunk(png, "IEND", {});
    save(path, png);
}
