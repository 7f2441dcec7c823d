// mkimages <artwork dir> <image dir> <icon dir>
// Renders every picture of the game's list of pictures from the artwork
// sources, and the icons.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "imagefile.h"
#include "platform/picture_files.h"
#include "script.h"

namespace fs = std::filesystem;

namespace {

// The .shp source in the artwork dir of each picture; the palette picture
// is drawn from the palette itself.
struct Source {
    const PictureFile& picture;
    const char* name;
};

const Source sources[] = {
    {kLogoPicture, "logo"},
    {kFontPicture, "digits"},
    {kTitlePicture, "title"},
    {kCursorPicture, "cursor"},
    {kStageSelectPicture, "stage_select"},
    {kBackgroundPicture, "clearing"},
    {kPlayerPicture, "sheet"},
    {kResultPicture, "result"},
};

// The list's paths start with the image dir's own name.
fs::path in(const fs::path& images, const PictureFile& p) {
    return images / fs::path(p.path).lexically_relative("image");
}

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
        write(in(images, kPalettePicture), swatch, lib.pal);

        for (const PictureFile& p : kPictureFiles) {
            if (std::string(p.path) == kPalettePicture.path) continue;
            auto s = std::find_if(std::begin(sources), std::end(sources),
                                  [&](const Source& s) { return std::string(s.picture.path) == p.path; });
            if (s == std::end(sources)) throw std::runtime_error(std::string(p.path) + ": no artwork");
            write(in(images, p), render(lib, s->name), lib.pal);
        }

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
