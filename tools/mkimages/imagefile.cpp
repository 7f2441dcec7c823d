#include "imagefile.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
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
void save(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

struct Indexed {
    const Canvas& c;
    std::array<png_byte, 256> slot;  // palette index to PNG palette entry
    std::vector<png_color> colours;
    bool see_through;
};

// libpng reports failures by jumping back to the setjmp, so nothing made in
// here may need destroying.
bool encode(FILE* out, const Indexed& p, png_byte* row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const size_t n = p.colours.size();  // as few bits a pixel as the colours allow
    const int depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    png_init_io(png, out);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, p.c.w, p.c.h, depth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, p.colours.data(), static_cast<int>(n));
    const png_byte clear = 0;
    if (p.see_through) png_set_tRNS(png, info, &clear, 1, nullptr);
    png_write_info(png, info);
    png_set_packing(png);
    for (int y = 0; y < p.c.h; ++y) {
        for (int x = 0; x < p.c.w; ++x) row[x] = p.slot[pixel(p.c, x, y)];
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
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
    // Only the colours the picture uses; the see-through index 0 comes first,
    // so the transparency chunk needs a single entry.
    std::array<bool, 256> used{};
    for (uint8_t i : c.px) used[i] = true;
    Indexed p{c, {}, {}, used[0]};
    for (int i = 0; i < 256; ++i)
        if (used[i]) {
            p.slot[i] = static_cast<png_byte>(p.colours.size());
            p.colours.push_back({pal.rgb[i].r, pal.rgb[i].g, pal.rgb[i].b});
        }
    std::vector<png_byte> row(c.w);
    FILE* out = std::fopen(path.c_str(), "wb");
    bool written = out && encode(out, p, row.data());
    if (!out || std::fclose(out) != 0 || !written) throw std::runtime_error("cannot write " + path);
}
