// The floor for the page's frame periods: the browser host's frame wait
// (its clock and its sleep, emscripten_sleep's way) to the same 16 ms
// deadlines, and nothing else. Each "present" counts in Module.frames and,
// when the page asks, in Module.frameTimes, as the game's does.
#include <emscripten.h>

#include "platform/frame.h"

EM_JS(void, MarkFrame, (), {
    Module.frames = (Module.frames || 0) + 1;
    if (Module.frameTimes) Module.frameTimes.push(performance.now());
});

int main() {
    InitFrameTimer();
    for (;;) {
        MarkFrame();
        FPSWait();
    }
}
