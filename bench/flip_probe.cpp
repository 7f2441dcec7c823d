// Preloaded into an unchanged program: notes the monotonic time of every
// SDL_Flip and, after FLIP_PROBE_FRAMES of them (default 1), writes the
// times in nanoseconds, one per line, to FLIP_PROBE_OUT and ends the process.
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Probe {
    int (*flip)(void*) = nullptr;
    long wanted = 1;
    const char* out = nullptr;
    std::vector<long long> times;
    Probe() {
        flip = reinterpret_cast<int (*)(void*)>(dlsym(RTLD_NEXT, "SDL_Flip"));
        if (const char* n = std::getenv("FLIP_PROBE_FRAMES")) wanted = std::atol(n);
        if (wanted < 1) wanted = 1;
        out = std::getenv("FLIP_PROBE_OUT");
        times.reserve(static_cast<size_t>(wanted));  // nothing allocated while frames are timed
    }
};

Probe& TheProbe() {
    static Probe probe;
    return probe;
}

long long Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

}  // namespace

extern "C" int SDL_Flip(void* screen) {
    Probe& p = TheProbe();
    int result = p.flip ? p.flip(screen) : -1;
    p.times.push_back(Now());
    if (static_cast<long>(p.times.size()) < p.wanted) return result;
    if (FILE* f = p.out ? std::fopen(p.out, "w") : nullptr) {
        for (long long t : p.times) std::fprintf(f, "%lld\n", t);
        std::fclose(f);
    }
    _exit(0);
}
