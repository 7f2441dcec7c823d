#include "platform/surfaces.h"

#include <SDL.h>

#include <cstring>

SDL_Surface* g_screen;
SDL_Surface* bitmap[kSurfaceSlots];

static bool ValidSlot(int slot) { return slot >= 0 && slot < kSurfaceSlots; }

SDL_Surface* OpenDisplay(bool fullscreen) {
    SDL_Surface* screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 8, fullscreen ? SDL_FULLSCREEN : 0);
    // A new screen's pixels are whatever was in memory, and setting the
    // palette shows them: clear them to entry 1, the shared palette's black.
    if (screen) SDL_FillRect(screen, nullptr, 1);
    return screen;
}

void ReleaseBitmap(int slot) {
    if (!ValidSlot(slot)) return;
    if (bitmap[slot]) SDL_FreeSurface(bitmap[slot]);
    bitmap[slot] = nullptr;
}

void ReleaseAllBitmaps() {
    for (int slot = 0; slot < kSurfaceSlots; slot++) ReleaseBitmap(slot);
}

// Whether any pixel of an 8-bit picture holds this value.
static bool HasPixel(const SDL_Surface* picture, Uint32 value) {
    const auto* row = static_cast<const Uint8*>(picture->pixels);
    for (int y = 0; y < picture->h; y++, row += picture->pitch)
        if (std::memchr(row, static_cast<int>(value), picture->w)) return true;
    return false;
}

int LoadBitmap(const char* path, int slot, int colorKey) {
    if (!ValidSlot(slot)) return -1;
    ReleaseBitmap(slot);
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    SDL_Surface* picture = file ? SDL_LoadBMP_RW(file, 1) : nullptr;
    bitmap[slot] = picture;
    if (!picture) return -1;
    if (!colorKey || !g_screen) return 0;
    SDL_Palette* palette = picture->format->palette;
    if (picture->format->BitsPerPixel > 8 || !palette || palette->ncolors < 1) return 0;
    // The key is looked up through the display palette: with the shared
    // palette, every pixel of index 0 becomes transparent.
    const SDL_Color& c = palette->colors[0];
    Uint32 key = SDL_MapRGB(g_screen->format, c.r, c.g, c.b);
    // A picture with no see-through pixel looks the same unkeyed, and is then
    // copied row by row rather than tested pixel by pixel: several times
    // faster for the full-screen pictures drawn every frame.
    if (picture->format->BitsPerPixel == 8 && !HasPixel(picture, key)) return 0;
    SDL_SetColorKey(picture, SDL_SRCCOLORKEY, key);
    return 0;
}

void SetGscreenPalette(int slot) {
    if (!ValidSlot(slot) || !bitmap[slot] || !g_screen) return;
    SDL_Palette* palette = bitmap[slot]->format->palette;
    if (bitmap[slot]->format->BitsPerPixel > 8 || !palette) return;
    int count = palette->ncolors < 256 ? palette->ncolors : 256;
    SDL_SetPalette(g_screen, SDL_LOGPAL | SDL_PHYSPAL, palette->colors, 0, count);
}

int Blt(int slot, int x, int y) {
    if (!ValidSlot(slot) || !bitmap[slot]) return -1;
    SDL_Rect dst = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    return SDL_BlitSurface(bitmap[slot], nullptr, g_screen, &dst);
}

void BltRect(int slot, int x, int y, int srcX, int srcY, int width, int height) {
    if (!ValidSlot(slot) || !bitmap[slot]) return;
    SDL_Rect src = {static_cast<Sint16>(srcX), static_cast<Sint16>(srcY), static_cast<Uint16>(width),
                    static_cast<Uint16>(height)};
    SDL_Rect dst = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_BlitSurface(bitmap[slot], &src, g_screen, &dst);
}

void ClearSecondary() {
    SDL_Rect all = {0, 0, kScreenWidth, kScreenHeight};
    SDL_FillRect(g_screen, &all, SDL_MapRGBA(g_screen->format, 0, 0, 0, 255));
}
