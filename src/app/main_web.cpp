// The browser's entry. The page calls it once the player has clicked or
// pressed a key (browsers only start sound after a gesture) and learns here
// that the game has ended, to offer another one.
#include <emscripten.h>

#include "app/app.h"

EM_JS(void, ReportGameEnded, (int code), {
    Module.lifecycle.gameEnded();
    if (Module.onGameEnded) Module.onGameEnded(code);
});

int main(int argc, char* argv[]) {
    int code = SDL_main(argc, argv);
    ReportGameEnded(code);
    return code;
}
