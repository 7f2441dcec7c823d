// mkimages <artwork dir> <image dir> <icon dir>
// Renders every picture of the game from the artwork sources.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "imagefile.h"
#include "script.h"

namespace fs = std::filesystem;

namespace {

struct Picture {
    const char* source;  // .shp name in the artwork dir
    const char* file;    // under the image dir
};

const Picture pictures[] = {
    {"logo", "a_logo.bmp"},
    {"digits", "sys/fonts2.bmp"},
    {"title", "title/title1.bmp"},
    {"cursor", "title/scl.bmp"},
    {"stage_select", "title/stageselect.bmp"},
    {"clearing", "bak/bak.bmp"},
    {"sheet", "player/ri0.bmp"},
    {"result", "player/clear.bmp"},
};

Library load_library(const std::string& dir) {
    Library lib;
    lib.dir = dir;
    lib.pal = load_palette(dir + "/palette.txt");
    std::vector<fs::path> maps;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".pix") maps.push_back(e.path());
    std::sort(maps.begin(), maps.end());
    for (const auto& m : maps) load_pixmaps(m.string(), lib.pal, lib.maps);
    return lib;
}

void write(const fs::path& path, const Canvas& c, const Palette& pal) {
    fs::create_directories(path.parent_path());
    if (path.extension() == ".png")
        write_png(path.string(), c, pal);
    else
        write_bmp(path.string(), c, pal);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: mkimages <artwork dir> <image dir> <icon dir>\n";
        return 2;
    }
    try {
        const Library lib = load_library(argv[1]);
        const fs::path images = argv[2], icons = argv[3];

        // One pixel per palette entry, so the palette can be read off the picture.
        Canvas swatch = make_canvas(16, 16);
        for (int i = 0; i < 256; ++i) put(swatch, i % 16, i / 16, static_cast<uint8_t>(i));
        write(images / "color.bmp", swatch, lib.pal);

        for (const Picture& p : pictures) write(images / p.file, render(lib, p.source), lib.pal);

        const Canvas icon = render(lib, "icon");
        write(icons / "tavikoro.png", icon, lib.pal);
        write(icons / "tavikoro-128.png", scaled(icon, 2), lib.pal);
        // The web page's home screen icons.
        write(icons / "tavikoro-192.png", scaled(icon, 3), lib.pal);
        write(icons / "tavikoro-512.png", scaled(icon, 8), lib.pal);
    } catch (const std::exception& e) {
        std::cerr << "mkimages: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
