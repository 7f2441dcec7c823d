// The browser's entry. The page calls it once the player has clicked or
// pressed a key (browsers only start sound after a gesture) and learns here
// that the game has ended, to offer another one.
#include "app/app.h"

extern "C" void host_game_ended(int code);  // platform/host_web.js

int main(int argc, char* argv[]) {
    int code = SDL_main(argc, argv);
    host_game_ended(code);
    return code;
}
