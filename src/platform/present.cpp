// Showing a finished frame in the window, magnified when the settings ask.
#include <SDL.h>
#include <SDL_rotozoom.h>

#include "platform/frame.h"
#include "platform/records.h"
#include "platform/seams.h"
#include "platform/surfaces.h"

void BltGSreface(int zoom) {
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

void halt() {
    int zoom = gameflag[GF_ZOOM];
    if (zoom > 1 && zoom <= kMaxZoom) BltGSreface(zoom);
    SDL_Flip(g_screen);
    if (g_seams.presented) g_seams.presented();
}
