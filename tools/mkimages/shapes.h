// Drawing primitives on indexed canvases. A Pen carries the origin and the clip
// so that sprite parts can be drawn in their own coordinates and never spill out.
#pragma once
#include <climits>
#include <cstdint>
#include <vector>

#include "canvas.h"

struct Pen {
    Canvas* c = nullptr;
    int ox = 0, oy = 0;
    int x0 = 0, y0 = 0, x1 = INT_MAX, y1 = INT_MAX;  // absolute, end exclusive

    bool inside(int ax, int ay) const { return ax >= x0 && ay >= y0 && ax < x1 && ay < y1; }
    void dot(int x, int y, uint8_t v) const {
        if (inside(x + ox, y + oy)) put(*c, x + ox, y + oy, v);
    }
};

void fill_rect(const Pen& p, int x, int y, int w, int h, uint8_t v);
void fill_ellipse(const Pen& p, int cx, int cy, int rx, int ry, uint8_t v);
void fill_poly(const Pen& p, const std::vector<int>& xy, uint8_t v);
void draw_line(const Pen& p, int xa, int ya, int xb, int yb, uint8_t v, int width = 1);
void fill_burst(const Pen& p, int cx, int cy, int r_in, int r_out, int points, int turn_deg, uint8_t v);
// Ordered-dither blend down a run of neighbouring palette entries.
void ramp_rect(const Pen& p, int x, int y, int w, int h, int from, int to);
void speckle(const Pen& p, int x, int y, int w, int h, uint8_t v, int per_mille, int seed, int only);
void recolour(const Pen& p, int x, int y, int w, int h, uint8_t from, uint8_t to);

// Whole-layer effects, limited to the pen's clip.
void add_outline(const Pen& p, uint8_t v, bool diagonal);
void add_rim(const Pen& p, uint8_t v, int dx, int dy);  // edge pixels facing (dx, dy)
void ramp_layer(const Pen& p, int y_top, int y_bottom, int from, int to);
// The pen's origin is ignored: layers share the canvas coordinates.
void compose(const Pen& dst, const Canvas& src, int shadow = 0, int dx = 0, int dy = 0);
