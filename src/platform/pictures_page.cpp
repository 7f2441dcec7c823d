// The browser's pictures. Emscripten's SDL keeps every surface as a
// true-colour canvas and has no palettes or colour keys, so here the 8-bit
// pictures, their blits and the display are our own; SDL's surface structure
// only carries them, so the rest of the game sees no difference. Plain C++:
// the native test build runs the drawing tests on these too.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/host.h"
#include "platform/surfaces.h"

namespace {

struct Picture {
    SDL_Surface surface;  // first, so that a surface pointer is the picture's
    SDL_PixelFormat format;
    SDL_Palette palette;
    SDL_Color colors[256];
    int key;  // the transparent pixel value, or -1
    // Source pixel to display pixel; rebuilt whenever the display palette
    // has changed since it was made.
    uint8_t map[256];
    unsigned mappedFor;
};

unsigned g_paletteVersion = 1;  // counts the display palette's changes

Picture* PictureOf(SDL_Surface* surface) { return reinterpret_cast<Picture*>(surface); }

Picture* NewPicture(int width, int height) {
    Picture* p = new Picture{};
    p->surface.w = width;
    p->surface.h = height;
    p->surface.pitch = width;
    p->surface.pixels = new uint8_t[static_cast<size_t>(width) * height]();
    p->surface.format = &p->format;
    p->format.BitsPerPixel = 8;
    p->format.BytesPerPixel = 1;
    p->format.palette = &p->palette;
    p->palette.ncolors = 256;
    p->palette.colors = p->colors;
    p->key = -1;
    return p;
}

void FreePicture(SDL_Surface* surface) {
    if (!surface) return;
    delete[] static_cast<uint8_t*>(surface->pixels);
    delete PictureOf(surface);
}

// The first entry nearest to the colour, as SDL picks a pixel value for a
// colour on an 8-bit surface.
int NearestEntry(const SDL_Palette& palette, int r, int g, int b) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < palette.ncolors; i++) {
        const SDL_Color& c = palette.colors[i];
        long distance = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
        if (distance == 0) break;
    }
    return best;
}

uint32_t Le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = v << 8 | p[i];
    return v;
}

// An uncompressed 8-bit BMP, the only kind the game's pictures are. Offsets
// are reckoned in 64 bits: a crafted header must not wrap the page's 32-bit
// size_t to before or past the file.
Picture* DecodeBmp(const uint8_t* file, size_t size) {
    if (size < 54 || file[0] != 'B' || file[1] != 'M') return nullptr;
    uint64_t dataAt = Le(file + 10, 4);
    uint64_t headerSize = Le(file + 14, 4);
    int64_t width = static_cast<int32_t>(Le(file + 18, 4));
    int64_t height = static_cast<int32_t>(Le(file + 22, 4));
    if (headerSize < 40 || Le(file + 28, 2) != 8 || Le(file + 30, 4) != 0) return nullptr;
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || width > 4096 || height <= 0 || height > 4096) return nullptr;
    uint32_t colors = Le(file + 46, 4);
    if (colors == 0 || colors > 256) colors = 256;
    uint64_t paletteAt = 14 + headerSize;
    uint64_t stride = (width + 3) & ~3;
    if (paletteAt + colors * 4 > size || dataAt + stride * height > size) return nullptr;

    Picture* p = NewPicture(static_cast<int>(width), static_cast<int>(height));
    p->palette.ncolors = static_cast<int>(colors);
    for (uint32_t i = 0; i < colors; i++) {
        const uint8_t* e = file + paletteAt + i * 4;
        p->colors[i] = SDL_Color{e[2], e[1], e[0], 0};
    }
    uint8_t* pixels = static_cast<uint8_t*>(p->surface.pixels);
    for (int y = 0; y < height; y++) {
        const uint8_t* row = file + dataAt + stride * (topDown ? y : height - 1 - y);
        std::memcpy(pixels + static_cast<size_t>(y) * width, row, width);
    }
    return p;
}

Picture* ReadBmp(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return nullptr;
    std::vector<uint8_t> file;
    uint8_t chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, f)) > 0;) file.insert(file.end(), chunk, chunk + got);
    std::fclose(f);
    return DecodeBmp(file.data(), file.size());
}

void MapToDisplay(Picture* p) {
    if (p->mappedFor == g_paletteVersion) return;
    const SDL_Palette& display = *g_screen->format->palette;
    bool same = p->palette.ncolors <= display.ncolors &&
                std::memcmp(p->colors, display.colors, sizeof(SDL_Color) * p->palette.ncolors) == 0;
    for (int i = 0; i < 256; i++) {
        const SDL_Color& c = p->colors[i];
        p->map[i] = static_cast<uint8_t>(same ? i : NearestEntry(display, c.r, c.g, c.b));
    }
    p->mappedFor = g_paletteVersion;
}

// One clipped blit onto the display, as SDL does it: the source rectangle
// is cut to the picture, then the destination to the display.
int BlitToScreen(SDL_Surface* source, int srcX, int srcY, int width, int height, int x, int y) {
    if (!g_screen) return -1;
    Picture* p = PictureOf(source);
    if (srcX < 0) width += srcX, x -= srcX, srcX = 0;
    if (srcY < 0) height += srcY, y -= srcY, srcY = 0;
    if (srcX + width > source->w) width = source->w - srcX;
    if (srcY + height > source->h) height = source->h - srcY;
    if (x < 0) width += x, srcX -= x, x = 0;
    if (y < 0) height += y, srcY -= y, y = 0;
    if (x + width > g_screen->w) width = g_screen->w - x;
    if (y + height > g_screen->h) height = g_screen->h - y;
    if (width <= 0 || height <= 0) return 0;
    MapToDisplay(p);
    const uint8_t* from = static_cast<const uint8_t*>(source->pixels);
    uint8_t* to = static_cast<uint8_t*>(g_screen->pixels);
    for (int row = 0; row < height; row++) {
        const uint8_t* s = from + (srcY + row) * source->pitch + srcX;
        uint8_t* d = to + (y + row) * g_screen->pitch + x;
        for (int col = 0; col < width; col++)
            if (s[col] != p->key) d[col] = p->map[s[col]];
    }
    return 0;
}

SDL_Surface* NewDisplay(bool) {
    Picture* screen = NewPicture(kScreenWidth, kScreenHeight);
    // Until the shared palette arrives: three bits of red, three of green,
    // two of blue.
    for (int i = 0; i < 256; i++)
        screen->colors[i] =
            SDL_Color{static_cast<Uint8>((i >> 5) * 255 / 7), static_cast<Uint8>((i >> 2 & 7) * 255 / 7),
                      static_cast<Uint8>((i & 3) * 255 / 3), 0};
    std::memset(screen->surface.pixels, 1, kScreenWidth * kScreenHeight);
    return &screen->surface;
}

SDL_Surface* Load(const char* path, bool keyed) {
    Picture* p = ReadBmp(path);
    if (!p) return nullptr;
    // The key is looked up through the display palette: with the shared
    // palette, every pixel of index 0 becomes transparent.
    if (keyed && g_screen) {
        const SDL_Color& c = p->colors[0];
        p->key = NearestEntry(*g_screen->format->palette, c.r, c.g, c.b);
#ifndef __EMSCRIPTEN__
        // Where SDL 1.2's own fields are, for the native drawing tests to read.
        p->surface.flags |= SDL_SRCCOLORKEY;
        p->format.colorkey = static_cast<Uint32>(p->key);
#endif
    }
    return &p->surface;
}

void SetDisplayPalette(const SDL_Color* colors, int count) {
    std::memcpy(g_screen->format->palette->colors, colors, sizeof(SDL_Color) * count);
    g_paletteVersion++;
}

int Blit(SDL_Surface* picture, int srcX, int srcY, int width, int height, int x, int y) {
    if (width == 0) width = picture->w, height = picture->h;
    return BlitToScreen(picture, srcX, srcY, width, height, x, y);
}

void FillBlack() {
    int black = NearestEntry(*g_screen->format->palette, 0, 0, 0);
    std::memset(g_screen->pixels, black, kScreenWidth * kScreenHeight);
}

uint8_t g_zoomed[kScreenWidth * kScreenHeight];

void Magnify(int zoom) {
    const uint8_t* from = static_cast<const uint8_t*>(g_screen->pixels);
    for (int y = 0; y < kScreenHeight; y++)
        for (int x = 0; x < kScreenWidth; x++)
            g_zoomed[y * kScreenWidth + x] = from[(y / zoom) * g_screen->pitch + x / zoom];
    for (int y = 0; y < kScreenHeight; y++)
        std::memcpy(static_cast<uint8_t*>(g_screen->pixels) + y * g_screen->pitch, g_zoomed + y * kScreenWidth,
                    kScreenWidth);
}

}  // namespace

const HostPictures kPagePictures = {NewDisplay, Load, FreePicture, SetDisplayPalette, Blit, FillBlack, Magnify};
