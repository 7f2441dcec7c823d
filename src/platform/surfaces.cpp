// The picture slots and the drawing the game asks for, on the host's pictures.
#include "platform/surfaces.h"

#include <SDL.h>

#include <cstdint>

#include "platform/host.h"

SDL_Surface* g_screen;
SDL_Surface* bitmap[kSurfaceSlots];

static bool ValidSlot(int slot) { return slot >= 0 && slot < kSurfaceSlots; }

SDL_Surface* OpenDisplay(bool fullscreen) { return g_host.pictures.openDisplay(fullscreen); }

void ReleaseBitmap(int slot) {
    if (!ValidSlot(slot)) return;
    if (bitmap[slot]) g_host.pictures.free(bitmap[slot]);
    bitmap[slot] = nullptr;
}

void ReleaseAllBitmaps() {
    for (int slot = 0; slot < kSurfaceSlots; slot++) ReleaseBitmap(slot);
}

int LoadBitmap(const char* path, int slot, int colorKey) {
    if (!ValidSlot(slot)) return -1;
    ReleaseBitmap(slot);
    bitmap[slot] = g_host.pictures.load(path, colorKey != 0);
    return bitmap[slot] ? 0 : -1;
}

void SetGscreenPalette(int slot) {
    if (!ValidSlot(slot) || !bitmap[slot] || !g_screen) return;
    SDL_Palette* palette = bitmap[slot]->format->palette;
    if (bitmap[slot]->format->BitsPerPixel > 8 || !palette) return;
    g_host.pictures.setDisplayPalette(palette->colors, palette->ncolors < 256 ? palette->ncolors : 256);
}

// Positions and sizes in SDL's 16-bit rectangle fields, as every platform
// took them: a negative width is a huge one, clipped to the picture.
int Blt(int slot, int x, int y) {
    if (!ValidSlot(slot) || !bitmap[slot]) return -1;
    return g_host.pictures.blit(bitmap[slot], 0, 0, 0, 0, static_cast<int16_t>(x), static_cast<int16_t>(y));
}

void BltRect(int slot, int x, int y, int srcX, int srcY, int width, int height) {
    if (!ValidSlot(slot) || !bitmap[slot] || static_cast<uint16_t>(width) == 0) return;
    g_host.pictures.blit(bitmap[slot], static_cast<int16_t>(srcX), static_cast<int16_t>(srcY),
                         static_cast<uint16_t>(width), static_cast<uint16_t>(height), static_cast<int16_t>(x),
                         static_cast<int16_t>(y));
}

void ClearSecondary() { g_host.pictures.fillBlack(); }
