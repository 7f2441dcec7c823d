#include "canvas.h"

#include <cstddef>

Canvas make_canvas(int w, int h, uint8_t fill) {
    Canvas c;
    c.w = w;
    c.h = h;
    c.px.assign(static_cast<size_t>(w) * h, fill);
    return c;
}

uint8_t pixel(const Canvas& c, int x, int y) {
    if (x < 0 || y < 0 || x >= c.w || y >= c.h) return 0;
    return c.px[static_cast<size_t>(y) * c.w + x];
}

void put(Canvas& c, int x, int y, uint8_t v) {
    if (x < 0 || y < 0 || x >= c.w || y >= c.h) return;
    c.px[static_cast<size_t>(y) * c.w + x] = v;
}

Canvas scaled(const Canvas& c, int factor) {
    Canvas out = make_canvas(c.w * factor, c.h * factor);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) put(out, x, y, pixel(c, x / factor, y / factor));
    return out;
}
