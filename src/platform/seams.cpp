#include "platform/seams.h"

#include <SDL.h>
#include <time.h>

#include <cerrno>
#ifdef __linux__
#include <sys/prctl.h>
#endif

static int64_t MonotonicNs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Counted from when SDL started, as its tick count is: the first frame's
// wait compares with that, so a slow start-up does not also sleep a frame.
static uint32_t RealClockUs() {
    static const int64_t start = MonotonicNs() - static_cast<int64_t>(SDL_GetTicks()) * 1000000;
    return static_cast<uint32_t>((MonotonicNs() - start) / 1000);
}

// A plain sleep to the deadline on the monotonic clock: no yielding or
// polling, so a waiting frame costs no processor time.
static void RealSleepUs(uint32_t us) {
    static bool slackSet = false;
    if (!slackSet) {
#ifdef __linux__
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // wake at the time asked, not up to 50 µs after
#endif
        slackSet = true;
    }
    int64_t deadline = MonotonicNs() + static_cast<int64_t>(us) * 1000;
    timespec at = {static_cast<time_t>(deadline / 1000000000), static_cast<long>(deadline % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}
Seams g_seams = {RealClockUs, RealSleepUs, nullptr, nullptr, nullptr};

void ResetSeams() { g_seams = Seams{RealClockUs, RealSleepUs, nullptr, nullptr, nullptr}; }
