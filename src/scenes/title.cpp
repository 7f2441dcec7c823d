#include "scenes/title.h"

#include "app/app.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

enum TitleItem { ITEM_NEW_GAME, ITEM_STAGE_SELECT, ITEM_QUIT, ITEM_COUNT };

static int scene_exit;
static int mode;

constexpr int kMaxStartStage = 50;
constexpr int kCursorY = 188;
static const int kCursorX[ITEM_COUNT] = {66, 145, 224};

void title_init() {
    mode = ITEM_NEW_GAME;
    scene_exit = 1;
    LoadBitmap("image/title/title1.bmp", 5, 1);
    LoadBitmap("image/title/scl.bmp", 3, 1);
    if (gameflag[GF_CONTINUE_STAGE] != -1) gameflag[GF_START_STAGE] = gameflag[GF_CONTINUE_STAGE];
    if (gameflag[GF_START_STAGE] > kMaxStartStage) gameflag[GF_START_STAGE] = kMaxStartStage;
    soundPlayBgm(kGameMusic);
}

void title_init_save_data() {
    gameflag2[0] = 256;
    gameflag2[1] = 48;
    gameflag2[2] = gameflag[GF_SECOND_SET] == 1 ? 2 : 1;
    gameflag2[3] = gameflag[GF_START_STAGE];
    gameflag2[4] = 0;
    gameflag2[5] = 3;
    gameflag2[6] = 3;
}

static void StartNewGame() {
    ResetGameFlag2();
    title_init_save_data();
    gameflag[GF_TIME_TRIAL] = 0;
    gameflag[GF_CONTINUE_STAGE] = -1;
    gameflag[GF_MINIMAP] = 0;
    gameflag[GF_NEW_GAME] = 1;
    gameflag[GF_NO_ENEMY_HIT] = 0;
    gameflag[GF_FROM_STAGESELECT] = 0;
    SaveGameFlag2("save/work.sav");
    ResetGameFlag2();
    SaveGameFlag2("save/item_wk.sav");
    gameflag[GF_LAST_EXIT] = 4;
    g_scene = SCENE_ACT;
}

void title_keys() {
    if (!IsPushKey(gameflag[GF_KEY_UP])) IsPushKey(gameflag[GF_KEY_DOWN]);
    if (IsPushKey(gameflag[GF_KEY_LEFT])) {
        soundPlaySe(SE_SELECT);
        mode = (mode + ITEM_COUNT - 1) % ITEM_COUNT;
    } else if (IsPushKey(gameflag[GF_KEY_RIGHT])) {
        soundPlaySe(SE_SELECT);
        mode = (mode + 1) % ITEM_COUNT;
    }
    if (IsPushOKKey()) {
        switch (mode) {
            case ITEM_NEW_GAME:
                StartNewGame();
                break;
            case ITEM_STAGE_SELECT:
                g_scene = SCENE_STAGESELECT;
                break;
            default:
                gameflag[GF_CONTINUE_STAGE] = -1;
                gameflag[GF_LAST_EXIT] = 10;
                g_scene = SCENE_END;
                break;
        }
        scene_exit = 0;
    }
    IsPushCancelKey();
}

void title_drow() {
    ClearSecondary();
    Blt(5, 0, 0);
    BltRect(3, kCursorX[mode], kCursorY, 0, 0, 32, 4);
    KeyInput();
}

void title_relese() {
    ReleaseAllBitmaps();
    soundStopBgm(0);
}

void title_main() { RunSceneLoop(title_init, title_keys, title_drow, title_relese, &scene_exit); }
