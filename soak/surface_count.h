#pragma once

namespace soak {
// Surfaces made through SDL_CreateRGBSurface or SDL_LoadBMP_RW and not yet
// freed; only in programs that link surface_count.cpp.
long LiveSurfaces();
}  // namespace soak
