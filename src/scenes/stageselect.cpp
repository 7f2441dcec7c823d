#include "scenes/stageselect.h"

#include "platform/input.h"
#include "platform/picture_files.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "sound/sound.h"

static int scene_exit;

constexpr int kPictureSlot = kStageSelectPicture.slot;

void stageselect_init() {
    scene_exit = 1;
    LoadPicture(kStageSelectPicture);
}

void stageselect_keys() {
    // The directions are read and ignored, as in every menu.
    if (!IsPushKey(gameflag[GF_KEY_UP])) IsPushKey(gameflag[GF_KEY_DOWN]);
    if (!IsPushKey(gameflag[GF_KEY_LEFT])) IsPushKey(gameflag[GF_KEY_RIGHT]);
    if (IsPushOKKey() || IsPushCancelKey()) {
        g_scene = SCENE_TITLE;
        scene_exit = 0;
    }
}

void stageselect_drow() {
    ClearSecondary();
    Blt(kPictureSlot, 0, 0);
    KeyInput();
}

void stageselect_relese() {
    ReleaseAllBitmaps();
    soundStopBgm(0);
}

void stageselect_main() {
    RunSceneLoop(stageselect_init, stageselect_keys, stageselect_drow, stageselect_relese, &scene_exit);
}
