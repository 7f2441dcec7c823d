// Small pictures typed as text, one character per pixel:
//   legend <char> <colour>     (later maps in the file use it; '.' is always clear)
//   map <name>
//   <rows>
//   end
#pragma once
#include <map>
#include <string>

#include "canvas.h"
#include "palette.h"

using Pixmaps = std::map<std::string, Canvas>;

// Adds every map of the file; a name used twice is an error.
void load_pixmaps(const std::string& path, const Palette& pal, Pixmaps& out);
