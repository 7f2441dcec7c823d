// Any file as one of the browser's pictures: it loads as a picture of a sane
// size, drawn and freed without a fault, or as a missing one.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>

#include "memory_file.h"
#include "platform/host.h"
#include "platform/surfaces.h"

static MemoryFile g_file;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_file = OpenMemoryFile("picture.bmp");
    g_screen = kPagePictures.openDisplay(false);  // keyed pictures look their key up here
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fill(g_file, data, size);
    SDL_Surface* picture = kPagePictures.load(g_file.path.c_str(), true);
    if (!picture) return 0;
    if (picture->w < 1 || picture->w > 4096 || picture->h < 1 || picture->h > 4096) std::abort();
    // Its bottom-right corner on the display's, so that its last row is read.
    kPagePictures.blit(picture, 0, 0, 0, 0, kScreenWidth - picture->w, kScreenHeight - picture->h);
    kPagePictures.free(picture);
    return 0;
}
