// Trees and bushes grown from a seed, so a forest needs one line per tree.
// Colours come from the palette ramps "pine", "leaf" and "bark".
#pragma once
#include "palette.h"
#include "shapes.h"

void grow_pine(const Pen& p, const Palette& pal, int x, int base, int height, int tone);
void grow_oak(const Pen& p, const Palette& pal, int x, int base, int radius, int seed, bool trunk);
// A jagged band of far-off tree tops, filled down to the bottom of the picture.
void tree_line(const Pen& p, int y, int spike, uint8_t v, int seed);
