#include "palette.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

struct Builder {
    Palette pal;
    int used = 0;

    bool taken(Rgb c) const {
        for (int i = 0; i < used; ++i)
            if (same(pal.rgb[i], c)) return true;
        return false;
    }
    void add(const std::string& name, Rgb c) {
        if (used == 256) throw std::runtime_error("palette: more than 256 colours");
        if (used > 0 && same(c, pal.rgb[0])) throw std::runtime_error("palette: " + name + " repeats the colour key");
        if (!name.empty()) pal.names[name] = used;
        pal.rgb[used++] = c;
    }
};

uint8_t channel(int v, const std::string& where) {
    if (v < 0 || v > 255) throw std::runtime_error("palette: channel out of range in " + where);
    return static_cast<uint8_t>(v);
}

// Spare entries get an even colour cube so odd colours still have a close match,
// then greys; duplicates are skipped so the nearest-colour searches stay unambiguous.
void fill_spare(Builder& b) {
    const int steps[] = {0, 64, 128, 192, 255};
    for (int r : steps)
        for (int g : steps)
            for (int bl : steps) {
                Rgb c{uint8_t(r), uint8_t(g), uint8_t(bl)};
                if (b.used < 256 && !same(c, b.pal.rgb[0]) && !b.taken(c)) b.add("", c);
            }
    for (int i = 0, v = 8; i < 256 && b.used < 256; ++i, v = (v + 37) % 256) {
        Rgb c{uint8_t(v), uint8_t(v), uint8_t(v)};
        if (!b.taken(c)) b.add("", c);
    }
    if (b.used < 256) throw std::runtime_error("palette: cannot fill spare entries");
}

}  // namespace

Palette load_palette(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    Builder b;
    std::string line;
    bool filled = false;
    while (std::getline(in, line)) {
        std::istringstream ls(line.substr(0, line.find('#')));
        std::string kind, name;
        if (!(ls >> kind)) continue;
        if (kind == "fill") {
            fill_spare(b);
            filled = true;
            continue;
        }
        if (!(ls >> name)) throw std::runtime_error("palette: name missing: " + line);
        std::vector<int> v;
        for (int x; ls >> x;) v.push_back(x);
        if (v.empty() || v.size() % 3 != 0) throw std::runtime_error("palette: bad triples: " + line);
        if (kind == "colour" && v.size() == 3) {
            b.add(name, {channel(v[0], name), channel(v[1], name), channel(v[2], name)});
        } else if (kind == "ramp") {
            for (size_t i = 0; i < v.size(); i += 3)
                b.add(name + std::to_string(i / 3),
                      {channel(v[i], name), channel(v[i + 1], name), channel(v[i + 2], name)});
        } else {
            throw std::runtime_error("palette: unknown line: " + line);
        }
    }
    if (!filled) fill_spare(b);
    return b.pal;
}

int colour_index(const Palette& pal, const std::string& name) {
    auto it = pal.names.find(name);
    if (it == pal.names.end()) throw std::runtime_error("unknown colour '" + name + "'");
    return it->second;
}
