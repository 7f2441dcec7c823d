#include "script.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "nature.h"
#include "shapes.h"

namespace {

using Args = std::vector<std::string>;

Args split(const std::string& line) {
    Args out;
    size_t i = 0;
    while (i < line.size()) {
        if (isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string::npos) throw std::runtime_error("unclosed quote");
            out.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        size_t j = i;
        while (j < line.size() && !isspace(static_cast<unsigned char>(line[j]))) ++j;
        out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

const Canvas* glyph(const Library& lib, char ch) {
    auto it = lib.maps.find(std::string("font:") + ch);
    return it == lib.maps.end() ? nullptr : &it->second;
}

// Proportional spacing: a glyph is as wide as its rightmost ink.
int glyph_advance(const Canvas* g) {
    if (!g) return 4;
    int right = 0;
    for (int y = 0; y < g->h; ++y)
        for (int x = 0; x < g->w; ++x)
            if (pixel(*g, x, y)) right = std::max(right, x + 1);
    return right + 1;
}

struct Painter {
    const Library& lib;
    std::vector<Canvas> layers;
    Pen pen;
    int depth = 0;

    Pen top() {
        Pen p = pen;
        p.c = &layers.back();
        return p;
    }
    void need_canvas() const {
        if (layers.empty()) throw std::runtime_error("draw before 'canvas'");
    }
    int num(const Args& a, size_t i) const {
        if (i >= a.size()) throw std::runtime_error("'" + a[0] + "' needs more values");
        return std::stoi(a[i]);
    }
    uint8_t col(const Args& a, size_t i) const {
        if (i >= a.size()) throw std::runtime_error("'" + a[0] + "' needs a colour");
        return static_cast<uint8_t>(colour_index(lib.pal, a[i]));
    }

    void text(int x, int y, int scale, uint8_t v, const std::string& s) {
        const Pen p = top();
        for (char ch : s) {
            const Canvas* g = glyph(lib, ch);
            if (ch != ' ' && !g) throw std::runtime_error(std::string("no glyph for '") + ch + "'");
            if (g)
                for (int j = 0; j < g->h; ++j)
                    for (int i = 0; i < g->w; ++i)
                        if (pixel(*g, i, j)) fill_rect(p, x + i * scale, y + j * scale, scale, scale, v);
            x += (ch == ' ' ? 4 : glyph_advance(g)) * scale;
        }
    }

    void stamp(const std::string& name, int x, int y, int scale) {
        auto it = lib.maps.find(name);
        if (it == lib.maps.end()) throw std::runtime_error("unknown map '" + name + "'");
        const Pen p = top();
        const Canvas& m = it->second;
        for (int j = 0; j < m.h; ++j)
            for (int i = 0; i < m.w; ++i)
                if (uint8_t v = pixel(m, i, j)) fill_rect(p, x + i * scale, y + j * scale, scale, scale, v);
    }

    void run(const Args& a) {
        const std::string& c = a[0];
        if (c == "canvas") {
            if (!layers.empty()) throw std::runtime_error("second 'canvas'");
            layers.push_back(make_canvas(num(a, 1), num(a, 2), a.size() > 3 ? col(a, 3) : 0));
            return;
        }
        if (c == "include") {
            include(a.at(1));
            return;
        }
        need_canvas();
        const Pen p = top();
        if (c == "origin") {
            pen.ox = base_x + num(a, 1);
            pen.oy = base_y + num(a, 2);
        } else if (c == "clip") {
            if (a.size() > 1 && a[1] == "off")
                pen.x0 = pen.y0 = 0, pen.x1 = pen.y1 = INT_MAX;
            else {
                pen.x0 = pen.ox + num(a, 1);
                pen.y0 = pen.oy + num(a, 2);
                pen.x1 = pen.x0 + num(a, 3);
                pen.y1 = pen.y0 + num(a, 4);
            }
        } else if (c == "layer") {
            layers.push_back(make_canvas(layers[0].w, layers[0].h));
        } else if (c == "merge") {
            if (layers.size() < 2) throw std::runtime_error("'merge' without 'layer'");
            Canvas done = std::move(layers.back());
            layers.pop_back();
            compose(top(), done, a.size() > 1 ? col(a, 1) : 0, a.size() > 2 ? num(a, 2) : 0,
                    a.size() > 3 ? num(a, 3) : 0);
        } else if (c == "outline") {
            add_outline(p, col(a, 1), a.size() > 2 && a[2] == "diag");
        } else if (c == "rim") {
            add_rim(p, col(a, 1), num(a, 2), num(a, 3));
        } else if (c == "layerramp") {
            ramp_layer(p, num(a, 1), num(a, 2), col(a, 3), col(a, 4));
        } else if (c == "rect") {
            fill_rect(p, num(a, 1), num(a, 2), num(a, 3), num(a, 4), col(a, 5));
        } else if (c == "ellipse") {
            fill_ellipse(p, num(a, 1), num(a, 2), num(a, 3), num(a, 4), col(a, 5));
        } else if (c == "disc") {
            fill_ellipse(p, num(a, 1), num(a, 2), num(a, 3), num(a, 3), col(a, 4));
        } else if (c == "poly") {
            std::vector<int> xy;
            for (size_t i = 2; i < a.size(); ++i) xy.push_back(num(a, i));
            if (xy.size() < 6 || xy.size() % 2) throw std::runtime_error("'poly' needs point pairs");
            fill_poly(p, xy, col(a, 1));
        } else if (c == "line") {
            draw_line(p, num(a, 1), num(a, 2), num(a, 3), num(a, 4), col(a, 5), a.size() > 6 ? num(a, 6) : 1);
        } else if (c == "burst") {
            fill_burst(p, num(a, 1), num(a, 2), num(a, 3), num(a, 4), num(a, 5), num(a, 6), col(a, 7));
        } else if (c == "ramp") {
            ramp_rect(p, num(a, 1), num(a, 2), num(a, 3), num(a, 4), col(a, 5), col(a, 6));
        } else if (c == "speckle") {
            speckle(p, num(a, 1), num(a, 2), num(a, 3), num(a, 4), col(a, 5), num(a, 6), num(a, 7),
                    a.size() > 8 ? col(a, 8) : -1);
        } else if (c == "recolour") {
            recolour(p, num(a, 1), num(a, 2), num(a, 3), num(a, 4), col(a, 5), col(a, 6));
        } else if (c == "stamp") {
            stamp(a.at(1), num(a, 2), num(a, 3), a.size() > 4 ? num(a, 4) : 1);
        } else if (c == "text" || c == "textc") {
            const int scale = num(a, 3);
            const std::string& s = a.at(5);
            const int x = c == "text" ? num(a, 1) : num(a, 1) - text_width(lib, s, scale) / 2;
            text(x, num(a, 2), scale, col(a, 4), s);
        } else if (c == "pine") {
            grow_pine(p, lib.pal, num(a, 1), num(a, 2), num(a, 3), a.size() > 4 ? num(a, 4) : 0);
        } else if (c == "oak" || c == "bush") {
            grow_oak(p, lib.pal, num(a, 1), num(a, 2), num(a, 3), num(a, 4), c == "oak");
        } else if (c == "treeline") {
            tree_line(p, num(a, 1), num(a, 2), col(a, 3), num(a, 4));
        } else {
            throw std::runtime_error("unknown command '" + c + "'");
        }
    }

    int base_x = 0, base_y = 0;

    void include(const std::string& name) {
        if (++depth > 16) throw std::runtime_error("includes nested too deep at " + name);
        const int saved_x = base_x, saved_y = base_y;
        const Pen saved = pen;
        base_x = pen.ox;
        base_y = pen.oy;
        const std::string path = lib.dir + "/" + name + ".shp";
        std::ifstream in(path);
        if (!in) throw std::runtime_error("cannot open " + path);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            try {
                const Args a = split(line);
                if (!a.empty()) run(a);
            } catch (const std::exception& e) {
                const std::string what = e.what();
                if (what.find(".shp:") != std::string::npos) throw;
                throw std::runtime_error(path + ":" + std::to_string(number) + ": " + what);
            }
        }
        pen = saved;
        base_x = saved_x;
        base_y = saved_y;
        --depth;
    }
};

}  // namespace

int text_width(const Library& lib, const std::string& text, int scale) {
    int w = 0;
    for (char ch : text) w += ch == ' ' ? 4 : glyph_advance(glyph(lib, ch));
    return (w - 1) * scale;
}

Canvas render(const Library& lib, const std::string& name) {
    Painter painter{lib, {}, {}};
    painter.include(name);
    if (painter.layers.size() != 1) throw std::runtime_error(name + ": a 'layer' was never merged");
    return painter.layers[0];
}
