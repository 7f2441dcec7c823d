// Any file as one of the browser's pictures: it loads as a picture of a sane
// size, drawn and freed without a fault, or as a missing one. The file lives
// in memory, so that the disk does not set the pace.
#include <SDL.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/host.h"
#include "platform/surfaces.h"

static int g_fd = -1;
static std::string g_path;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_fd = memfd_create("picture.bmp", MFD_CLOEXEC);
    if (g_fd < 0) std::abort();
    g_path = "/proc/self/fd/" + std::to_string(g_fd);
    g_screen = kPagePictures.openDisplay(false);  // keyed pictures look their key up here
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (ftruncate(g_fd, 0) != 0) std::abort();
    if (size && pwrite(g_fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    SDL_Surface* picture = kPagePictures.load(g_path.c_str(), true);
    if (!picture) return 0;
    if (picture->w < 1 || picture->w > 4096 || picture->h < 1 || picture->h > 4096) std::abort();
    // Its bottom-right corner on the display's, so that its last row is read.
    kPagePictures.blit(picture, 0, 0, 0, 0, kScreenWidth - picture->w, kScreenHeight - picture->h);
    kPagePictures.free(picture);
    return 0;
}
