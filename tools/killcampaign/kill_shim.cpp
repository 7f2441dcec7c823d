// Preloaded into the unchanged game binary by tools/kill-campaign.sh: plays
// one whole game on a virtual clock as fast as the machine allows (frames are
// drawn but not presented), and kills the game with SIGKILL at a chosen
// moment of one of its save bursts.
//
// The clock: the game's own calls of clock_gettime and clock_nanosleep on
// the monotonic clock (not those of the libraries) see a clock that jumps to
// wherever the game sleeps to and moves on 50 us at each reading, and its
// sched_yield returns at once, so that its waiting loops end without waiting.
//
// The keys: Z skips the logo, Z starts a new game (which writes the work
// records), Z at one moment of every signal, and after the result has shown
// for a second Z and then Escape: the new best and its replay file, then the
// settings and work records as the scene ends, then the settings once more at
// exit, with the same bytes.
//
// KILL_SHIM_WINDOW=1 or 2 arms a timer at the key that starts the saves of the
// new game (1) or of the result (2); it sends SIGKILL after KILL_SHIM_DELAY_US
// microseconds. KILL_SHIM_VERSIONS=folder keeps a copy of every file the game
// renames into place, named after its target and a running number, and
// KILL_SHIM_TIMES=file notes the microseconds from each arming point to the
// last file renamed after it, for choosing the delays.
#include <dlfcn.h>
#include <signal.h>
#include <sys/auxv.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Keys as the game's SDL 1.2 knows them.
constexpr int kKeyZ = 'z';
constexpr int kKeyEscape = 27;
// Frames presented when the game samples the keys that act two frames later
// (see the harness's Script::Tap): the logo, the title, then the action
// scene, which samples after presenting, so one frame later: play from frame
// 7, the result from frame 3607, OK taken from its 61st frame.
constexpr unsigned kSkipLogo = 1, kNewGame = 3, kPlayStart = 7, kResultOk = 3607 + 60;
constexpr unsigned kSignal = 121, kChopAt = 30;

unsigned g_presents;
long long g_clockNs = 1000000000;
long long g_armed[3];
long long g_lastRename[3];

long long Micros() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void Arm(int window) {
    g_armed[window] = Micros();
    const char* chosen = std::getenv("KILL_SHIM_WINDOW");
    const char* delay = std::getenv("KILL_SHIM_DELAY_US");
    if (!chosen || !delay || std::atoi(chosen) != window) return;
    sigevent ev{};
    ev.sigev_notify = SIGEV_SIGNAL;
    ev.sigev_signo = SIGKILL;
    timer_t timer;
    if (timer_create(CLOCK_MONOTONIC, &ev, &timer) != 0) std::abort();
    long long us = std::atoll(delay);
    itimerspec when{};
    when.it_value.tv_sec = us / 1000000;
    when.it_value.tv_nsec = us % 1000000 * 1000 + 1;  // zero would disarm it
    timer_settime(timer, 0, &when, nullptr);
}

struct Report {
    ~Report() {
        const char* path = std::getenv("KILL_SHIM_TIMES");
        FILE* f = path ? std::fopen(path, "w") : nullptr;
        if (!f) return;
        for (int w = 1; w <= 2; w++) std::fprintf(f, "%lld\n", g_lastRename[w]);
        std::fclose(f);
    }
} g_report;

}  // namespace

bool FromGame(void* caller) {
    static void* game = [] {
        Dl_info info{};
        dladdr(reinterpret_cast<void*>(getauxval(AT_PHDR)), &info);
        return info.dli_fbase;
    }();
    Dl_info info{};
    return dladdr(caller, &info) && info.dli_fbase == game;
}

extern "C" int clock_gettime(clockid_t clock, timespec* t) {
    static auto real = Next<int (*)(clockid_t, timespec*)>("clock_gettime");
    if (clock != CLOCK_MONOTONIC || !FromGame(__builtin_return_address(0))) return real(clock, t);
    g_clockNs += 50000;
    t->tv_sec = g_clockNs / 1000000000;
    t->tv_nsec = g_clockNs % 1000000000;
    return 0;
}

extern "C" int sched_yield() {
    static auto real = Next<int (*)()>("sched_yield");
    return FromGame(__builtin_return_address(0)) ? 0 : real();
}

extern "C" int clock_nanosleep(clockid_t clock, int flags, const timespec* until, timespec* left) {
    static auto real = Next<int (*)(clockid_t, int, const timespec*, timespec*)>("clock_nanosleep");
    if (clock != CLOCK_MONOTONIC || !FromGame(__builtin_return_address(0))) return real(clock, flags, until, left);
    long long ns = until->tv_sec * 1000000000LL + until->tv_nsec;
    g_clockNs = flags & TIMER_ABSTIME ? (ns > g_clockNs ? ns : g_clockNs) : g_clockNs + ns;
    return 0;
}

// Showing the frame is the costliest part of it and has nothing to do with saving.
extern "C" int SDL_Flip(void*) {
    g_presents++;
    return 0;
}

// Called once a frame, where the game samples its keys.
extern "C" unsigned char* SDL_GetKeyState(int* count) {
    static auto real = Next<unsigned char* (*)(int*)>("SDL_GetKeyState");
    unsigned char* keys = real(count);
    unsigned f = g_presents;
    bool chop = f >= kPlayStart && f < kResultOk - 60 && (f - kPlayStart) % kSignal == kChopAt;
    keys[kKeyZ] = f == kSkipLogo || f == kNewGame || chop || f == kResultOk;
    keys[kKeyEscape] = f > kResultOk;  // the scene's system keys read the sample of their own frame
    if (f == kNewGame && !g_armed[1]) Arm(1);
    if (f == kResultOk && !g_armed[2]) Arm(2);
    return keys;
}

extern "C" int rename(const char* from, const char* to) {
    static auto real = Next<int (*)(const char*, const char*)>("rename");
    static int count;
    if (const char* keep = std::getenv("KILL_SHIM_VERSIONS")) {
        const char* base = std::strrchr(to, '/');
        std::string copy = std::string(keep) + "/" + (base ? base + 1 : to) + "." + std::to_string(++count);
        FILE* in = std::fopen(from, "rb");
        FILE* out = std::fopen(copy.c_str(), "wb");
        char buffer[65536];
        for (size_t n; in && out && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) std::fwrite(buffer, 1, n, out);
        if (in) std::fclose(in);
        if (out) std::fclose(out);
    }
    int result = real(from, to);
    int window = g_armed[2] ? 2 : 1;
    g_lastRename[window] = Micros() - g_armed[window];
    return result;
}
