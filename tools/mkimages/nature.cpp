#include "nature.h"

#include <algorithm>
#include <string>

namespace {

uint8_t shade(const Palette& pal, const std::string& ramp, int k) {
    k = std::max(k, 0);
    while (k > 0 && !pal.names.count(ramp + std::to_string(k))) --k;
    return static_cast<uint8_t>(colour_index(pal, ramp + std::to_string(k)));
}

int rnd(int& state, int n) {
    // In unsigned arithmetic: the wrap is the point, and signed overflow is undefined.
    state = static_cast<int>(static_cast<uint32_t>(state) * 1103515245u + 12345u);
    return ((state >> 16) & 0x7fff) % n;
}

Pen layer_pen(const Pen& p, Canvas& layer) {
    Pen q = p;
    q.c = &layer;
    return q;
}

}  // namespace

void grow_pine(const Pen& p, const Palette& pal, int x, int base, int height, int tone) {
    Canvas layer = make_canvas(p.c->w, p.c->h);
    const Pen q = layer_pen(p, layer);
    const int trunk_w = std::max(2, height / 12);
    fill_rect(q, x - trunk_w / 2, base - height / 4, trunk_w, height / 4, shade(pal, "bark", 1 + tone));
    const int tiers = 4, top = base - height, bottom = base - height / 6;
    const int step = (bottom - top) / (tiers + 1);
    for (int k = tiers - 1; k >= 0; --k) {
        const int apex = top + k * step, foot = top + (k + 2) * step;
        const int half = (k + 2) * step * 9 / 20 + 1;
        fill_poly(q, {x, apex + 2, x - half, foot + 2, x + half, foot + 2}, shade(pal, "pine", tone));
        fill_poly(q, {x, apex, x - half, foot, x + half, foot}, shade(pal, "pine", 2 + tone));
        fill_poly(q, {x, apex, x, foot, x + half, foot}, shade(pal, "pine", 1 + tone));
        draw_line(q, x - 1, apex + 2, x - half + 2, foot - 1, shade(pal, "pine", 3 + tone));
    }
    add_outline(q, shade(pal, "pine", 0), false);
    compose(p, layer);
}

void grow_oak(const Pen& p, const Palette& pal, int x, int base, int radius, int seed, bool trunk) {
    Canvas layer = make_canvas(p.c->w, p.c->h);
    const Pen q = layer_pen(p, layer);
    const int cy = trunk ? base - radius * 3 / 2 : base - radius * 2 / 3;
    if (trunk) {
        const int tw = std::max(3, radius / 3);
        fill_poly(q, {x - tw / 2, cy, x + tw / 2, cy, x + tw, base, x - tw, base}, shade(pal, "bark", 2));
        fill_rect(q, x + tw / 4, cy, std::max(1, tw / 3), base - cy, shade(pal, "bark", 1));
    }
    struct Blob {
        int x, y, r;
    };
    std::vector<Blob> blobs = {{x, cy, radius * 3 / 4}};
    int state = seed;
    for (int k = 0; k < 6; ++k) {
        const int r = radius / 3 + rnd(state, std::max(1, radius / 3));
        blobs.push_back({x - radius / 2 + rnd(state, radius + 1), cy - radius / 2 + rnd(state, radius * 3 / 4 + 1), r});
    }
    for (const Blob& b : blobs) fill_ellipse(q, b.x, b.y, b.r, b.r, shade(pal, "leaf", 2));
    for (const Blob& b : blobs)
        fill_ellipse(q, b.x - b.r / 5, b.y - b.r / 4, b.r * 3 / 4, b.r * 3 / 4, shade(pal, "leaf", 3));
    for (const Blob& b : blobs) fill_ellipse(q, b.x - b.r / 3, b.y - b.r / 2, b.r / 3, b.r / 4, shade(pal, "leaf", 5));
    add_outline(q, shade(pal, "leaf", 0), false);
    compose(p, layer);
}

void tree_line(const Pen& p, int y, int spike, uint8_t v, int seed) {
    int state = seed;
    const int right = std::min(p.c->w, p.x1) - p.ox;
    for (int x = std::max(0, p.x0) - p.ox - 8; x < right + 8;) {
        const int half = 3 + rnd(state, 5), tip = y - spike / 2 - rnd(state, spike + 1);
        fill_poly(p, {x, tip, x - half, y + 2, x + half, y + 2}, v);
        x += half + rnd(state, 3);
    }
    fill_rect(p, std::max(0, p.x0) - p.ox, y + 2, right, p.c->h, v);
}
