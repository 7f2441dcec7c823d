#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

uint8_t ramp_at(int x, int y, double t, int from, int to) {
    t = std::clamp(t, 0.0, 1.0);
    const double pos = t * std::abs(to - from);
    int step = static_cast<int>(pos);
    if ((pos - step) * 16 > bayer[y & 3][x & 3] + 0.5) ++step;
    return static_cast<uint8_t>(from + (to > from ? step : -step));
}

uint32_t hash3(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Walk every pixel of the layer that the clip allows.
template <class F>
void each_clipped(const Pen& p, F f) {
    const int xa = std::max(0, p.x0), ya = std::max(0, p.y0);
    const int xb = std::min(p.c->w, p.x1), yb = std::min(p.c->h, p.y1);
    for (int y = ya; y < yb; ++y)
        for (int x = xa; x < xb; ++x) f(x, y);
}

}  // namespace

void fill_rect(const Pen& p, int x, int y, int w, int h, uint8_t v) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) p.dot(i, j, v);
}

void fill_ellipse(const Pen& p, int cx, int cy, int rx, int ry, uint8_t v) {
    const double ax = rx + 0.5, ay = ry + 0.5;
    for (int j = -ry; j <= ry; ++j)
        for (int i = -rx; i <= rx; ++i)
            if ((i * i) / (ax * ax) + (j * j) / (ay * ay) <= 1.0) p.dot(cx + i, cy + j, v);
}

void fill_poly(const Pen& p, const std::vector<int>& xy, uint8_t v) {
    const size_t n = xy.size() / 2;
    if (n < 3) return;
    int ymin = xy[1], ymax = xy[1];
    for (size_t k = 0; k < n; ++k) {
        ymin = std::min(ymin, xy[2 * k + 1]);
        ymax = std::max(ymax, xy[2 * k + 1]);
    }
    for (int y = ymin; y <= ymax; ++y) {
        const double sy = y + 0.5;
        std::vector<double> xs;
        for (size_t k = 0; k < n; ++k) {
            const double xa = xy[2 * k] + 0.5, ya = xy[2 * k + 1] + 0.5;
            const double xb = xy[2 * ((k + 1) % n)] + 0.5, yb = xy[2 * ((k + 1) % n) + 1] + 0.5;
            if ((ya <= sy && yb > sy) || (yb <= sy && ya > sy)) xs.push_back(xa + (sy - ya) * (xb - xa) / (yb - ya));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = static_cast<int>(std::ceil(xs[k] - 0.5)); x + 0.5 <= xs[k + 1] + 0.01; ++x) p.dot(x, y, v);
    }
    // Thin slivers would otherwise vanish between pixel centres.
    for (size_t k = 0; k < n; ++k)
        draw_line(p, xy[2 * k], xy[2 * k + 1], xy[2 * ((k + 1) % n)], xy[2 * ((k + 1) % n) + 1], v);
}

void draw_line(const Pen& p, int xa, int ya, int xb, int yb, uint8_t v, int width) {
    const int dx = std::abs(xb - xa), dy = -std::abs(yb - ya);
    const int sx = xa < xb ? 1 : -1, sy = ya < yb ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (width <= 1)
            p.dot(xa, ya, v);
        else
            fill_ellipse(p, xa, ya, (width - 1) / 2, (width - 1) / 2, v);
        if (xa == xb && ya == yb) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            xa += sx;
        }
        if (e2 <= dx) {
            err += dx;
            ya += sy;
        }
    }
}

void fill_burst(const Pen& p, int cx, int cy, int r_in, int r_out, int points, int turn_deg, uint8_t v) {
    std::vector<int> xy;
    const double turn = turn_deg * M_PI / 180.0;
    for (int k = 0; k < points * 2; ++k) {
        const double a = turn + k * M_PI / points;
        const int r = (k % 2) ? r_in : r_out;
        xy.push_back(cx + static_cast<int>(std::lround(r * std::cos(a))));
        xy.push_back(cy + static_cast<int>(std::lround(r * std::sin(a))));
    }
    fill_poly(p, xy, v);
}

void ramp_rect(const Pen& p, int x, int y, int w, int h, int from, int to) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            p.dot(x + i, y + j, ramp_at(x + i + p.ox, y + j + p.oy, h > 1 ? double(j) / (h - 1) : 0.0, from, to));
}

void speckle(const Pen& p, int x, int y, int w, int h, uint8_t v, int per_mille, int seed, int only) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            const int ax = i + p.ox, ay = j + p.oy;
            if (only >= 0 && pixel(*p.c, ax, ay) != only) continue;
            if (static_cast<int>(hash3(ax, ay, seed) % 1000) < per_mille) p.dot(i, j, v);
        }
}

void recolour(const Pen& p, int x, int y, int w, int h, uint8_t from, uint8_t to) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (pixel(*p.c, i + p.ox, j + p.oy) == from) p.dot(i, j, to);
}

void add_outline(const Pen& p, uint8_t v, bool diagonal) {
    const Canvas before = *p.c;
    each_clipped(p, [&](int x, int y) {
        if (pixel(before, x, y) != 0) return;
        bool edge =
            pixel(before, x - 1, y) || pixel(before, x + 1, y) || pixel(before, x, y - 1) || pixel(before, x, y + 1);
        if (diagonal)
            edge = edge || pixel(before, x - 1, y - 1) || pixel(before, x + 1, y - 1) || pixel(before, x - 1, y + 1) ||
                   pixel(before, x + 1, y + 1);
        if (edge) put(*p.c, x, y, v);
    });
}

void add_rim(const Pen& p, uint8_t v, int dx, int dy) {
    const Canvas before = *p.c;
    each_clipped(p, [&](int x, int y) {
        if (pixel(before, x, y) != 0 && pixel(before, x + dx, y + dy) == 0) put(*p.c, x, y, v);
    });
}

void ramp_layer(const Pen& p, int y_top, int y_bottom, int from, int to) {
    const int ya = y_top + p.oy, span = std::max(1, y_bottom - y_top);
    each_clipped(p, [&](int x, int y) {
        if (pixel(*p.c, x, y) != 0) put(*p.c, x, y, ramp_at(x, y, double(y - ya) / span, from, to));
    });
}

void compose(const Pen& dst, const Canvas& src, int shadow, int dx, int dy) {
    Pen at = dst;
    at.ox = at.oy = 0;
    if (shadow)
        for (int y = 0; y < src.h; ++y)
            for (int x = 0; x < src.w; ++x)
                if (pixel(src, x, y)) at.dot(x + dx, y + dy, static_cast<uint8_t>(shadow));
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x)
            if (uint8_t v = pixel(src, x, y)) at.dot(x, y, v);
}
