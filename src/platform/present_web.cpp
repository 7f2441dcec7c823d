// Showing a finished frame on the page's canvas. Emscripten's SDL cannot show
// an 8-bit display, so each frame goes through the current palette here and
// the page scales the canvas.
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>
#include <cstring>

#include "platform/frame.h"
#include "platform/records.h"
#include "platform/seams.h"
#include "platform/surfaces.h"

static uint32_t g_rgba[kScreenWidth * kScreenHeight];
static uint8_t g_zoomed[kScreenWidth * kScreenHeight];

// The canvas keeps one image and one view of our pixels for good: the
// module's memory never grows, so the view stays valid.
EM_JS(void, ShowFrame, (const uint32_t* pixels, int width, int height), {
    var shown = Module.shownFrame;
    if (!shown) {
        var context = Module.canvas.getContext('2d');
        shown = Module.shownFrame = {
            context : context,
            image : context.createImageData(width, height),
            pixels : HEAPU8.subarray(pixels, pixels + width * height * 4)
        };
    }
    shown.image.data.set(shown.pixels);
    shown.context.putImageData(shown.image, 0, 0);
    Module.frames = (Module.frames || 0) + 1;
});

void BltGSreface(int zoom) {
    const uint8_t* from = static_cast<const uint8_t*>(g_screen->pixels);
    for (int y = 0; y < kScreenHeight; y++)
        for (int x = 0; x < kScreenWidth; x++)
            g_zoomed[y * kScreenWidth + x] = from[(y / zoom) * g_screen->pitch + x / zoom];
    for (int y = 0; y < kScreenHeight; y++)
        std::memcpy(static_cast<uint8_t*>(g_screen->pixels) + y * g_screen->pitch, g_zoomed + y * kScreenWidth,
                    kScreenWidth);
}

void halt() {
    int zoom = gameflag[GF_ZOOM];
    if (zoom > 1 && zoom <= kMaxZoom) BltGSreface(zoom);
    uint32_t colors[256];
    const SDL_Color* palette = g_screen->format->palette->colors;
    for (int i = 0; i < 256; i++)
        colors[i] = 0xff000000u | static_cast<uint32_t>(palette[i].b) << 16 | palette[i].g << 8 | palette[i].r;
    const uint8_t* pixels = static_cast<const uint8_t*>(g_screen->pixels);
    for (int y = 0; y < kScreenHeight; y++)
        for (int x = 0; x < kScreenWidth; x++) g_rgba[y * kScreenWidth + x] = colors[pixels[y * g_screen->pitch + x]];
    ShowFrame(g_rgba, kScreenWidth, kScreenHeight);
    // The page draws and takes keys only while the game sleeps. A frame
    // that has already taken its 16 ms gets no sleep in FPSWait, so it
    // lets the page have its turn here.
    if (g_seams.clockUs() - prvTickCount >= kFrameUs) emscripten_sleep(0);
    if (g_seams.presented) g_seams.presented();
}
