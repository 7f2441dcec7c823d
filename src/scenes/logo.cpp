#include "scenes/logo.h"

#include "app/app.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

static int scene_exit;
static int demo;

constexpr int kLogoFrames = 180;

void logo_init() {
    scene_exit = 1;
    demo = 0;
    LoadBitmap("image/a_logo.bmp", 2, 1);
    soundStopBgm(0);
}

void logo_keys() {
    IsPushKey(gameflag[GF_KEY_UP]);
    IsPushKey(gameflag[GF_KEY_DOWN]);
    IsPushKey(gameflag[GF_KEY_LEFT]);
    IsPushKey(gameflag[GF_KEY_RIGHT]);
    if (IsPushKey(gameflag[GF_KEY_A]) || IsPushKey(gameflag[GF_KEY_B]) || demo > kLogoFrames) {
        gameflag[GF_LAST_EXIT] = 0;
        g_scene = SCENE_TITLE;
        scene_exit = 0;
    }
}

void logo_drow() {
    ClearSecondary();
    demo++;
    Blt(2, 0, 0);
    KeyInput();
}

void logo_relese() {
    ReleaseAllBitmaps();
    soundStopBgm(0);
}

void logo_main() { RunSceneLoop(logo_init, logo_keys, logo_drow, logo_relese, &scene_exit); }
