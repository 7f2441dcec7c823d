// Pushes keys through the X server as a player would, noting when each one
// went down: the input-latency measurement pairs these times with the
// presents noted by flip_probe.
//
//   keypress PRESSES OUT      (DISPLAY from the environment)
//
// Skips the logo with X, then presses Right PRESSES times at irregular
// moments, writing each key-down time (monotonic, ns) to OUT; then Escape.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

static long long Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

static long long Key(Display* d, KeySym sym, int holdMs) {
    KeyCode code = XKeysymToKeycode(d, sym);
    XTestFakeKeyEvent(d, code, True, 0);
    XSync(d, False);  // the server has the key-down now
    long long down = Now();
    usleep(holdMs * 1000);
    XTestFakeKeyEvent(d, code, False, 0);
    XSync(d, False);
    return down;
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    FILE* out = std::fopen(argv[2], "w");
    if (!out) return 1;
    Key(d, XK_x, 100);
    usleep(800000);
    srand(17);
    for (int i = 0; i < std::atoi(argv[1]); i++) {
        // Irregular, so the key lands anywhere in a frame.
        usleep(150000 + rand() % 150000);
        std::fprintf(out, "%lld\n", Key(d, XK_Right, 80));
    }
    std::fclose(out);
    usleep(200000);
    Key(d, XK_Escape, 100);
    XCloseDisplay(d);
    return 0;
}
