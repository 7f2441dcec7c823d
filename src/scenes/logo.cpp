#include "scenes/logo.h"

#include "platform/input.h"
#include "platform/picture_files.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "sound/sound.h"

static int scene_exit;
static int demo;  // frames drawn so far

constexpr int kLogoSlot = kLogoPicture.slot;

void logo_init() {
    scene_exit = 1;
    demo = 0;
    LoadPicture(kLogoPicture);
    soundStopBgm(0);
}

void logo_keys() {
    // The directions are read and ignored: the menus all read the same keys
    // each frame, and a direction never ends the logo.
    IsPushKey(gameflag[GF_KEY_UP]);
    IsPushKey(gameflag[GF_KEY_DOWN]);
    IsPushKey(gameflag[GF_KEY_LEFT]);
    IsPushKey(gameflag[GF_KEY_RIGHT]);
    // Keys run before this frame's drawing: this is frame demo + 1.
    if (IsPushKey(gameflag[GF_KEY_A]) || IsPushKey(gameflag[GF_KEY_B]) || demo + 1 >= kLogoFrames) {
        gameflag[GF_LAST_EXIT] = 0;
        g_scene = SCENE_TITLE;
        scene_exit = 0;
    }
}

void logo_drow() {
    ClearSecondary();
    demo++;
    Blt(kLogoSlot, 0, 0);
    KeyInput();
}

void logo_relese() {
    ReleaseAllBitmaps();
    soundStopBgm(0);
}

void logo_main() { RunSceneLoop(logo_init, logo_keys, logo_drow, logo_relese, &scene_exit); }
