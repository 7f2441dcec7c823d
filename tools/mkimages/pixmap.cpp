#include "pixmap.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

void load_pixmaps(const std::string& path, const Palette& pal, Pixmaps& out) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::map<char, int> legend = {{'.', 0}};
    std::string line, name;
    std::vector<std::string> rows;
    int number = 0;
    auto fail = [&](const std::string& why) {
        throw std::runtime_error(path + ":" + std::to_string(number) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++number;
        if (!name.empty()) {
            if (line.rfind("end", 0) != 0) {
                rows.push_back(line);
                continue;
            }
            size_t w = 0;
            for (const auto& r : rows) w = std::max(w, r.size());
            Canvas c = make_canvas(static_cast<int>(w), static_cast<int>(rows.size()));
            for (size_t y = 0; y < rows.size(); ++y)
                for (size_t x = 0; x < rows[y].size(); ++x) {
                    auto it = legend.find(rows[y][x]);
                    if (it == legend.end()) fail(std::string("no legend for '") + rows[y][x] + "'");
                    put(c, static_cast<int>(x), static_cast<int>(y), static_cast<uint8_t>(it->second));
                }
            if (!out.emplace(name, c).second) fail("map '" + name + "' defined twice");
            name.clear();
            rows.clear();
            continue;
        }
        std::istringstream ls(line);
        std::string word;
        if (!(ls >> word) || word[0] == '#') continue;
        if (word == "legend") {
            std::string key, colour;
            if (!(ls >> key >> colour) || key.size() != 1) fail("legend needs a character and a colour");
            legend[key[0]] = colour_index(pal, colour);
        } else if (word == "map") {
            if (!(ls >> name)) fail("map needs a name");
        } else {
            fail("unknown line");
        }
    }
    if (!name.empty()) fail("map '" + name + "' has no end");
}
