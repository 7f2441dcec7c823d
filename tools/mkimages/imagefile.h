// Writers for the two file formats the game and the desktop need.
#pragma once
#include <string>

#include "canvas.h"
#include "palette.h"

// Uncompressed 8-bit BMP with the full 256-entry palette.
void write_bmp(const std::string& path, const Canvas& c, const Palette& pal);
// Palette PNG, best compressed; index 0 becomes fully transparent.
void write_png(const std::string& path, const Canvas& c, const Palette& pal);
