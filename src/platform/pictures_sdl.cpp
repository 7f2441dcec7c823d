// Pictures as SDL surfaces: the display is SDL's 8-bit video surface, blits
// and fills are SDL's, magnification is SDL_gfx's.
#include <SDL.h>
#include <SDL_rotozoom.h>

#include <cstring>

#include "platform/host.h"
#include "platform/surfaces.h"

namespace {

SDL_Surface* SetVideoMode(bool fullscreen) {
    SDL_Surface* screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 8, fullscreen ? SDL_FULLSCREEN : 0);
    // A new screen's pixels are whatever was in memory, and setting the
    // palette shows them: clear them to entry 1, the shared palette's black.
    if (screen) SDL_FillRect(screen, nullptr, 1);
    return screen;
}

// Whether any pixel of an 8-bit picture holds this value.
bool HasPixel(const SDL_Surface* picture, Uint32 value) {
    const auto* row = static_cast<const Uint8*>(picture->pixels);
    for (int y = 0; y < picture->h; y++, row += picture->pitch)
        if (std::memchr(row, static_cast<int>(value), picture->w)) return true;
    return false;
}

SDL_Surface* Load(const char* path, bool keyed) {
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    SDL_Surface* picture = file ? SDL_LoadBMP_RW(file, 1) : nullptr;
    if (!picture || !keyed || !g_screen) return picture;
    SDL_Palette* palette = picture->format->palette;
    if (picture->format->BitsPerPixel > 8 || !palette || palette->ncolors < 1) return picture;
    // The key is looked up through the display palette: with the shared
    // palette, every pixel of index 0 becomes transparent.
    const SDL_Color& c = palette->colors[0];
    Uint32 key = SDL_MapRGB(g_screen->format, c.r, c.g, c.b);
    // A picture with no see-through pixel looks the same unkeyed, and is then
    // copied row by row rather than tested pixel by pixel: several times
    // faster for the full-screen pictures drawn every frame.
    if (picture->format->BitsPerPixel == 8 && !HasPixel(picture, key)) return picture;
    SDL_SetColorKey(picture, SDL_SRCCOLORKEY, key);
    return picture;
}

void SetDisplayPalette(const SDL_Color* colors, int count) {
    SDL_SetPalette(g_screen, SDL_LOGPAL | SDL_PHYSPAL, const_cast<SDL_Color*>(colors), 0, count);
}

int Blit(SDL_Surface* picture, int srcX, int srcY, int width, int height, int x, int y) {
    if (!g_screen) return -1;
    SDL_Rect src = {static_cast<Sint16>(srcX), static_cast<Sint16>(srcY), static_cast<Uint16>(width),
                    static_cast<Uint16>(height)};
    SDL_Rect dst = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    return SDL_BlitSurface(picture, width ? &src : nullptr, g_screen, &dst);
}

void FillBlack() {
    SDL_Rect all = {0, 0, kScreenWidth, kScreenHeight};
    SDL_FillRect(g_screen, &all, SDL_MapRGBA(g_screen->format, 0, 0, 0, 255));
}

void Magnify(int zoom) {
    SDL_Surface* copy = rotozoomSurface(g_screen, 0.0, static_cast<double>(zoom), SMOOTHING_OFF);
    if (!copy) return;  // the frame is then shown unmagnified
    SDL_Palette* palette = g_screen->format->palette;
    if (g_screen->format->BitsPerPixel <= 8 && palette) {
        SDL_SetPalette(copy, SDL_LOGPAL | SDL_PHYSPAL, palette->colors, 0, palette->ncolors);
        SDL_SetColorKey(copy, 0, 0);
    }
    // No clearing first: the unkeyed copy is larger than the display and
    // covers all of it.
    SDL_Rect origin = {0, 0, 0, 0};
    SDL_BlitSurface(copy, nullptr, g_screen, &origin);
    SDL_FreeSurface(copy);
}

}  // namespace

const HostPictures kSdlPictures = {SetVideoMode, Load, SDL_FreeSurface, SetDisplayPalette, Blit, FillBlack, Magnify};
