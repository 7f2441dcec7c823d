// Pictures are described as layered shapes in "<name>.shp" files: one command a line,
// '#' starts a comment, colours are palette names, coordinates are relative to the
// current origin. Commands:
//   canvas W H [colour]        origin X Y          clip X Y W H | clip off
//   include NAME               layer               merge [shadow DX DY]
//   outline C [diag]           rim C DX DY         layerramp Y0 Y1 C0 C1
//   rect X Y W H C             ellipse CX CY RX RY C      disc CX CY R C
//   poly C X Y X Y ...         line X Y X Y C [W]  burst CX CY RIN ROUT N TURN C
//   ramp X Y W H C0 C1         speckle X Y W H C PERMILLE SEED [ONLY]
//   recolour X Y W H FROM TO   stamp MAP X Y [SCALE]
//   text X Y SCALE C "TEXT"    textc CENTRE_X Y SCALE C "TEXT"
//   pine X BASE H [TONE]       oak X BASE R SEED   bush X BASE R SEED
//   treeline Y SPIKE C SEED
#pragma once
#include <string>

#include "canvas.h"
#include "palette.h"
#include "pixmap.h"

struct Library {
    std::string dir;  // where the .shp files live
    Palette pal;
    Pixmaps maps;  // includes the font glyphs, named "font:<char>"
};

Canvas render(const Library& lib, const std::string& name);
int text_width(const Library& lib, const std::string& text, int scale);
