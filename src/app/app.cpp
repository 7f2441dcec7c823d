#include "app/app.h"

#include <cstdio>

#include "act/act_internal.h"
#include "platform/frame.h"
#include "platform/host.h"
#include "platform/input.h"
#include "platform/picture_files.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "sound/sound.h"

void FunctionInit() {
    InitFrameTimer();
    ReleaseAllBitmaps();  // frees the palette picture of start-up too
    KeyInit();
    soundInitBuffer();
}

void main_init() {
    g_scene = SCENE_LOGO;
    main_init_config();
    for (int i = 0; i < kMusicPieces; i++) soundLoadBuffer(i, kMusicFiles[i], -1);
    for (int i = 0; i < SE_COUNT; i++) soundLoadBufferSE(i, kEffectFiles[i]);
    Set_Volume(gameflag[GF_VOLUME]);
}

int g_runningScene = SCENE_END;

void scenemanager() {
    while (const SceneEntry* scene = FindScene(g_scene)) {
        g_runningScene = scene->id;
        scene->run();
    }
    g_runningScene = SCENE_END;
}

void ExitProgram() {
    soundStopBgm(0);
    soundStopSeAll();
    soundRelease();
    SaveGameFlag("save/config");  // the volume and keys as this run left them
    closePAD();
    g_host.quit();
}

int StartUp(bool fullscreen) {
    // Without a line on stderr a player would be left with no window and no clue.
    if (!g_host.startVideo()) {
        std::fprintf(stderr, "Couldn't set video mode: %s\n", g_host.error());
        return 1;
    }
    g_screen = OpenDisplay(fullscreen);
    // Loading the palette below overwrites the error text: keep the reason now.
    char reason[256] = "";
    if (!g_screen) std::snprintf(reason, sizeof reason, "%s", g_host.error());
    LoadPicture(kPalettePicture);
    SetGscreenPalette(kPalettePicture.slot);
    if (!g_screen) {
        std::fprintf(stderr, "Couldn't set video mode: %s\n", reason);
        ReleaseBitmap(kPalettePicture.slot);
        g_host.quit();
        return 1;
    }
    g_host.nameWindow("tavikoro");
    FunctionInit();
    main_init();
    return 0;
}

// A platform may end without a shutdown (a page closed in the middle of a
// game): then the records are written as the action scene writes them when
// it ends. The game never reads them back mid-game, so writing them early
// changes nothing in it.
static void SaveWithGame() {
    if (g_runningScene == SCENE_ACT)
        save_file_w();
    else
        SaveGameFlag("save/config");
}

int SDL_main(int argc, char* argv[]) {
    (void)argv;
    g_host.saveBeforeLeaving = SaveWithGame;
    if (StartUp(argc >= 2) != 0) return 1;
    scenemanager();
    ExitProgram();
    return 0;
}
