// A whole game through the test harness: logo, title, stage select, a full
// 60-second game chopping at every signal, the result, the title, quit.
#include <SDL.h>

#include <cstdio>

#include "harness/harness.h"

int main() {
    harness::GameDir dir;
    harness::Script s;
    s.Push(40, SDLK_x);                                        // skip the logo
    s.Push(80, SDLK_RIGHT).Push(82, SDLK_z);                   // stage select
    s.Push(120, SDLK_z);                                       // back to the title
    s.Push(123, SDLK_z);                                       // new game
    const int play0 = 123 + 2;                                 // play frame p is play0 + p
    for (int p = 121; p <= 3600; p += 121) s.Push(play0 + p, SDLK_z);
    s.Push(play0 + 3600 + 70, SDLK_z);                         // OK on the result
    s.Push(play0 + 3600 + 80, SDLK_ESCAPE);
    harness::Result r = harness::RunGame(dir, s);
    std::printf("frames %d exit %d%s\n", r.frames, r.exitCode, r.timedOut ? " timed out" : "");
    return r.exitCode == 0 && !r.timedOut ? 0 : 1;
}
