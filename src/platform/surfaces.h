// The 128 picture slots and everything that draws onto the display surface.
#pragma once

struct SDL_Surface;

constexpr int kSurfaceSlots = 128;
constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

extern SDL_Surface* g_screen;  // 320 x 240, 8 bits per pixel, the shared palette
extern SDL_Surface* bitmap[kSurfaceSlots];

// The 320 x 240 8-bit display, cleared to the shared palette's black; null
// when the video mode cannot be set.
SDL_Surface* OpenDisplay(bool fullscreen);
int LoadBitmap(const char* path, int slot, int colorKey);
void ReleaseBitmap(int slot);
void ReleaseAllBitmaps();
void SetGscreenPalette(int slot);
int Blt(int slot, int x, int y);
void BltRect(int slot, int x, int y, int srcX, int srcY, int width, int height);
void ClearSecondary();

// A number as a zero-padded field of its lowest `digits` decimal digits, from
// glyphs laid side by side in a slot; no sign is drawn.
void BltNumericImage(int value, int digits, int x, int y, int slot, int glyphX, int glyphY, int glyphW, int glyphH);
// The same field, started (digits - 2) glyph widths right of x.
void BltNumericImage2(int value, int digits, int x, int y, int slot, int glyphX, int glyphY, int glyphW, int glyphH);
