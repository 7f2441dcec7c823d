// A whole game through the test harness: logo, title, stage select, a full
// 60-second game chopping at every signal (fast and slow chops in turn), the
// result, the title, quit. With --real-time it keeps the real clock, so that
// SDL's disk audio driver records the game's sound as a player hears it.
#include <cstdio>
#include <cstring>

#include "act/act_internal.h"
#include "act/chop.h"
#include "app/app.h"
#include "harness/harness.h"
#include "platform/frame.h"
#include "scenes/scenes.h"

int main(int argc, char** argv) {
    bool realTime = argc > 1 && std::strcmp(argv[1], "--real-time") == 0;
    harness::GameDir dir;
    harness::Script s;
    if (realTime)
        s.host = [](Host& host) {
            host.clockUs = PlatformHost().clockUs;
            host.sleepUs = PlatformHost().sleepUs;
        };
    s.Push(40, KB_X);                     // skip the logo
    s.Push(80, KB_RIGHT).Push(82, KB_Z);  // stage select
    s.Push(120, KB_Z);                    // back to the title
    s.Push(123, KB_Z);                    // new game
    const int play0 = 123 + 2;            // play frame p is play0 + p
    s.Push(play0 + 3600 + 70, KB_Z);      // OK on the result
    s.Push(play0 + 3600 + 80, KB_ESCAPE);
    int chops = 0;
    s.onFrame = [&](int) {
        if (g_scene != SCENE_ACT || sn != SN_PLAY) return;
        // Every other chop fast ("kan"), the others halfway through the window ("hit1").
        int age = kWindowFrames - player[signal_count];
        bool chop = player[signal_count] > 0 && player[pressed] == 0 && age == (chops % 2 ? kWindowFrames / 2 : 1);
        harness::SetKey(KB_Z, chop);
        if (chop) chops++;
    };
    harness::Result r = harness::RunGame(dir, s);
    std::printf("frames %d exit %d%s\n", r.frames, r.exitCode, r.timedOut ? " timed out" : "");
    return r.exitCode == 0 && !r.timedOut ? 0 : 1;
}
