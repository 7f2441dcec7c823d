// The one palette every picture shares, read from a text file of named colours.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>

struct Rgb {
    uint8_t r, g, b;
};

struct Palette {
    std::array<Rgb, 256> rgb{};
    std::map<std::string, int> names;
};

Palette load_palette(const std::string& path);
int colour_index(const Palette& pal, const std::string& name);  // throws on unknown names
