#include "platform/window_scale.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/surfaces.h"

// Room left for a title bar, panels and docks, so the window is never
// pushed partly off screen.
static const int kMarginWidth = 32;
static const int kMarginHeight = 96;

int ChooseWindowScale(int desktopWidth, int desktopHeight) {
    if (desktopWidth <= 0 || desktopHeight <= 0) return 3;
    int byWidth = (desktopWidth - kMarginWidth) / kScreenWidth;
    int byHeight = (desktopHeight - kMarginHeight) / kScreenHeight;
    int factor = byWidth < byHeight ? byWidth : byHeight;
    return factor < 2 ? 2 : factor;
}

void KeepPixelsSharp() {
    // Smooth scaling would blur the pixel art, in full screen too.
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
}

void SetUpWindowScale() {
    if (std::getenv("SDL12COMPAT_WINDOW_SCALING")) return;

    // Nobody sees the dummy driver's window; scaling it would only cost
    // time in headless runs.
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    if (std::strcmp(driver, "dummy") == 0) return;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    int width = info ? info->current_w : 0, height = info ? info->current_h : 0;
    char factor[16];
    std::snprintf(factor, sizeof factor, "%d", ChooseWindowScale(width, height));
    setenv("SDL12COMPAT_WINDOW_SCALING", factor, 0);
}
