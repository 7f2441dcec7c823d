// The browser's entry. The page calls it once the player has clicked or
// pressed a key (browsers only start sound after a gesture) and learns here
// that the game has ended, to offer another one.
#include <emscripten.h>

#include "act/act_internal.h"
#include "app/app.h"
#include "platform/records.h"
#include "scenes/scenes.h"

EM_JS(void, ReportGameEnded, (int code), {
    Module.lifecycle.gameEnded();
    if (Module.onGameEnded) Module.onGameEnded(code);
});

// A page may be closed in the middle of a game: then the records are
// written as the action scene writes them when it ends. The game never
// reads them back mid-game, so writing them early changes nothing in it.
static void SaveWithGame() {
    if (g_runningScene == SCENE_ACT)
        save_file_w();
    else
        SaveGameFlag("save/config");
}

int main(int argc, char* argv[]) {
    SaveBeforeLeaving = SaveWithGame;
    int code = SDL_main(argc, argv);
    ReportGameEnded(code);
    return code;
}
