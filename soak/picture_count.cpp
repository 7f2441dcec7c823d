// Counts the pictures the game has the host load and free, by standing in
// front of the host's own picture functions.
#include "picture_count.h"

#include "platform/host.h"

namespace {

HostPictures g_real;
long g_live;

SDL_Surface* Load(const char* path, bool keyed) {
    SDL_Surface* picture = g_real.load(path, keyed);
    if (picture) g_live++;
    return picture;
}

void Free(SDL_Surface* picture) {
    if (picture) g_live--;
    g_real.free(picture);
}

}  // namespace

void soak::CountPictures(Host& host) {
    g_real = host.pictures;
    host.pictures.load = Load;
    host.pictures.free = Free;
}

long soak::LivePictures() { return g_live; }
