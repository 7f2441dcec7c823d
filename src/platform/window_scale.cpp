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

void SetUpWindowScale() {
    // Smooth scaling would blur the pixel art, in full screen too.
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
    if (std::getenv("SDL12COMPAT_WINDOW_SCALING")) return;

    // The desktop size is only known once video is up. The scaling is read
    // when the window opens, so video stays up for it: starting it twice
    // cost a second connection to the display.
    int width = 0, height = 0;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        char driver[32] = "";
        SDL_VideoDriverName(driver, sizeof driver);
        const SDL_VideoInfo* info = SDL_GetVideoInfo();
        if (info) {
            width = info->current_w;
            height = info->current_h;
        }
        // Nobody sees the dummy driver's window; scaling it would only cost
        // time in headless runs.
        if (std::strcmp(driver, "dummy") == 0) return;
    }
    char factor[16];
    std::snprintf(factor, sizeof factor, "%d", ChooseWindowScale(width, height));
    setenv("SDL12COMPAT_WINDOW_SCALING", factor, 0);
}
