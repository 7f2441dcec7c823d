// The few places where the platform layer touches the outside world in a way
// a test needs to replace: the clock, the joystick, and two points of the
// frame. The game runs with the defaults; the test harness swaps them.
#pragma once
#include <cstdint>

struct Seams {
    // Monotonic microseconds since start-up; wraps after 71 minutes, so only
    // differences count.
    uint32_t (*clockUs)();
    void (*sleepUs)(uint32_t us);              // returns as close after the time as it can
    bool (*pad)(int axes[2], int buttons[10]); // a stand-in joystick; false when none
    void (*presented)();                       // after each frame is shown
    void (*polled)();                          // after each frame takes its window event
};

extern Seams g_seams;

// Back to the real clock, the real joystick and no observers.
void ResetSeams();
