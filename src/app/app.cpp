#include "app/app.h"

#include <SDL.h>

#include <cstdio>

#include "act/act.h"
#include "app/window_scale.h"
#include "platform/frame.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/logo.h"
#include "scenes/stageselect.h"
#include "scenes/title.h"
#include "sound/sound.h"

int g_scene;

struct SceneEntry {
    int id;
    void (*run)();
};

static const SceneEntry kScenes[] = {
    {SCENE_TITLE, title_main},
    {SCENE_ACT, act_main},
    {SCENE_LOGO, logo_main},
    {SCENE_STAGESELECT, stageselect_main},
};

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

void scenemanager() {
    for (;;) {
        const SceneEntry* scene = nullptr;
        for (const SceneEntry& entry : kScenes)
            if (entry.id == g_scene) scene = &entry;
        if (!scene) return;
        scene->run();
    }
}

void RequestQuit() { g_scene = SCENE_END; }

void RunSceneLoop(void (*init)(), void (*keys)(), void (*drow)(), void (*relese)(), int* scene_exit) {
    init();
    while (*scene_exit) {
        keys();
        drow();
        halt();
        FPSWait();
        if (system_keys() == 0) *scene_exit = 0;
    }
    relese();
}

void ExitProgram() {
    soundStopBgm(0);
    soundStopSeAll();
    soundRelease();
    SaveGameFlag("save/config");
    closePAD();
    SDL_Quit();
}

int StartUp(bool fullscreen) {
    SetUpWindowScale();
    // Without a line on stderr a player would be left with no window and no clue.
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Couldn't start video: %s\n", SDL_GetError());
        return 1;
    }
    g_screen = OpenDisplay(fullscreen);
    // Loading the palette below overwrites SDL's error text: keep the reason now.
    char reason[256] = "";
    if (!g_screen) std::snprintf(reason, sizeof reason, "%s", SDL_GetError());
    LoadBitmap("image/color.bmp", 1, 0);
    SetGscreenPalette(1);
    if (!g_screen) {
        std::fprintf(stderr, "Couldn't set video mode: %s\n", reason);
        ReleaseBitmap(1);
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("tavikoro", "");
    SDL_ShowCursor(0);
    FunctionInit();
    main_init();
    return 0;
}

int SDL_main(int argc, char* argv[]) {
    (void)argv;
    if (StartUp(argc >= 2) != 0) return 1;
    scenemanager();
    ExitProgram();
    return 0;
}
