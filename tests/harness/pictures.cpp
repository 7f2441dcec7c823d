#include "harness/pictures.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/surfaces.h"

namespace harness {

// The test palette: entry 0 magenta, 1 black, every entry a different colour.
static void FillPalette(SDL_Color colors[256], int shift = 0) {
    for (int i = 0; i < 256; i++) {
        int v = (i + shift) % 256 - 1;
        colors[i] = v < 0 ? SDL_Color{255, 0, 255, 0}
                          : SDL_Color{uint8_t(v), uint8_t(v * 3 % 256 / 2), uint8_t(v * 7 % 200), 0};
    }
}

void MakeBmp(const std::string& path, int width, int height, const std::function<int(int x, int y)>& pixel,
             int shift) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
    SDL_Color colors[256];
    FillPalette(colors, shift);
    SDL_SetColors(s, colors, 0, 256);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) static_cast<uint8_t*>(s->pixels)[y * s->pitch + x] = pixel(x, y);
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
}

static int SurfacePixel(SDL_Surface* s, int x, int y) {
    return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x];
}

static int OpaquePixelsShown(SDL_Surface* picture, int sx, int sy, int w, int h, int dx, int dy) {
    bool keyed = (picture->flags & SDL_SRCCOLORKEY) != 0;
    int shown = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int p = SurfacePixel(picture, sx + x, sy + y);
            if (keyed && static_cast<Uint32>(p) == picture->format->colorkey) continue;
            int X = dx + x, Y = dy + y;
            if (X < 0 || Y < 0 || X >= kScreenWidth || Y >= kScreenHeight) continue;
            if (SurfacePixel(g_screen, X, Y) != p) return -1;
            shown++;
        }
    return shown;
}

bool ShowsSlot(int slot, int sx, int sy, int w, int h, int dx, int dy) {
    return bitmap[slot] && OpaquePixelsShown(bitmap[slot], sx, sy, w, h, dx, dy) >= 0;
}

std::string DigitsOnScreen(int fontSlot, int x, int y, int count) {
    std::string digits;
    for (int i = 0; i < count; i++) {
        // A glyph may hide inside a fuller one (0 inside 8): the fullest match wins.
        int best = -1, bestShown = 0;
        for (int d = 0; d < 10 && bitmap[fontSlot]; d++) {
            int shown = OpaquePixelsShown(bitmap[fontSlot], d * 10, 0, 10, 8, x + i * 10, y);
            if (shown > bestShown) best = d, bestShown = shown;
        }
        digits += best < 0 ? '?' : static_cast<char>('0' + best);
    }
    return digits;
}

void OpenScreen() {
    SDL_Init(SDL_INIT_VIDEO);
    g_screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 8, 0);
    SDL_Color colors[256];
    FillPalette(colors);
    SDL_SetPalette(g_screen, SDL_LOGPAL | SDL_PHYSPAL, colors, 0, 256);
}

void CloseScreen() {
    ReleaseAllBitmaps();
    SDL_Quit();
    g_screen = nullptr;
}

}  // namespace harness
