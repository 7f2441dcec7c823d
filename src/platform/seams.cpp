#include "platform/seams.h"

#include <sched.h>
#include <time.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

static int64_t MonotonicNs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

static uint32_t RealClockUs() {
    static const int64_t start = MonotonicNs();
    return static_cast<uint32_t>((MonotonicNs() - start) / 1000);
}

// The kernel wakes a sleeper some tens of microseconds late, more under
// load; a frame of 16 ms should not grow by that. So sleep to a little
// before the deadline and yield the processor for the rest.
constexpr int64_t kWakeMarginNs = 300000;

static void RealSleepUs(uint32_t us) {
    static bool slackSet = false;
    if (!slackSet) {
#ifdef __linux__
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // wake at the time asked, not up to 50 µs after
#endif
        slackSet = true;
    }
    int64_t deadline = MonotonicNs() + static_cast<int64_t>(us) * 1000;
    int64_t wake = deadline - kWakeMarginNs;
    timespec at = {static_cast<time_t>(wake / 1000000000), static_cast<long>(wake % 1000000000)};
    if (us * 1000LL > kWakeMarginNs)
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
        }
    while (MonotonicNs() < deadline) sched_yield();
}

Seams g_seams = {RealClockUs, RealSleepUs, nullptr, nullptr, nullptr};

void ResetSeams() { g_seams = Seams{RealClockUs, RealSleepUs, nullptr, nullptr, nullptr}; }
