// An 8-bit indexed picture; index 0 is the transparent colour key.
#pragma once
#include <cstdint>
#include <vector>

struct Canvas {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
};

Canvas make_canvas(int w, int h, uint8_t fill = 0);
uint8_t pixel(const Canvas& c, int x, int y);  // 0 outside the picture
void put(Canvas& c, int x, int y, uint8_t v);  // ignores points outside
Canvas scaled(const Canvas& c, int factor);
