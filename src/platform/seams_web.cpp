// The browser's clock and sleep. Sleeping hands the page its turn to draw
// and take keys (Asyncify unwinds to the browser's event loop); the native
// sleep would hold the page still.
#include <emscripten.h>

#include "platform/seams.h"

static uint32_t PageClockUs() {
    static const double start = emscripten_get_now();
    return static_cast<uint32_t>(static_cast<uint64_t>((emscripten_get_now() - start) * 1000.0));
}

// Timers count whole milliseconds: rounded up, a frame is never shorter
// than asked.
static void PageSleepUs(uint32_t us) { emscripten_sleep((us + 999) / 1000); }

Seams g_seams = {PageClockUs, PageSleepUs, nullptr, nullptr, nullptr};

void ResetSeams() { g_seams = Seams{PageClockUs, PageSleepUs, nullptr, nullptr, nullptr}; }
