// Counts SDL surfaces made and freed by the game and the libraries it calls
// through the dynamic linker, by standing in front of SDL's own functions.
#include <SDL.h>
#include <dlfcn.h>

#include <atomic>

#include "surface_count.h"

namespace {
std::atomic<long> g_live{0};

template <typename F>
F Real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
}  // namespace

long soak::LiveSurfaces() { return g_live.load(); }

extern "C" {

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 r, Uint32 g, Uint32 b,
                                  Uint32 a) {
    static auto real = Real<SDL_Surface* (*)(Uint32, int, int, int, Uint32, Uint32, Uint32, Uint32)>(
        "SDL_CreateRGBSurface");
    SDL_Surface* s = real(flags, width, height, depth, r, g, b, a);
    if (s) g_live++;
    return s;
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc) {
    static auto real = Real<SDL_Surface* (*)(SDL_RWops*, int)>("SDL_LoadBMP_RW");
    SDL_Surface* s = real(src, freesrc);
    if (s) g_live++;
    return s;
}

void SDL_FreeSurface(SDL_Surface* surface) {
    static auto real = Real<void (*)(SDL_Surface*)>("SDL_FreeSurface");
    if (surface) g_live--;
    real(surface);
}

}  // extern "C"
