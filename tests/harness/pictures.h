// Small pictures and a display for tests that draw without running the game.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace harness {

// Writes an 8-bit BMP whose palette entry i is test colour i + shift;
// pixel(x, y) gives each index.
void MakeBmp(const std::string& path, int width, int height, const std::function<int(int x, int y)>& pixel,
             int shift = 0);

// Opens the dummy video mode with the test palette as g_screen; closes it again.
void OpenScreen();
void CloseScreen();

// Whether the screen shows the w x h rectangle at (sx, sy) of a slot's
// picture with its corner at (dx, dy): every opaque pixel in place.
bool ShowsSlot(int slot, int sx, int sy, int w, int h, int dx, int dy);

// The digits that 10 x 8 glyphs of the font slot show in a row from (x, y);
// '?' where a cell holds no glyph.
std::string DigitsOnScreen(int fontSlot, int x, int y, int count);

}  // namespace harness
