#include "scenes/title.h"

#include <iterator>

#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "sound/sound.h"

enum TitleItem { ITEM_NEW_GAME, ITEM_STAGE_SELECT, ITEM_QUIT, ITEM_COUNT };

static int scene_exit;
static int mode;

constexpr int kMaxStartStage = 50;
constexpr int kCursorSlot = kCursorPicture.slot;
constexpr int kCursorY = 188;
static const int kCursorX[ITEM_COUNT] = {66, 145, 224};

void title_init() {
    mode = ITEM_NEW_GAME;
    scene_exit = 1;
    LoadPicture(kTitlePicture);
    LoadPicture(kCursorPicture);
    if (gameflag[GF_CONTINUE_STAGE] != -1) gameflag[GF_START_STAGE] = gameflag[GF_CONTINUE_STAGE];
    if (gameflag[GF_START_STAGE] > kMaxStartStage) gameflag[GF_START_STAGE] = kMaxStartStage;
    soundPlayBgm(kGameMusic);
}

// A new game's work record starts from these values; the stage set and the
// stage number go in at their places.
static const int32_t kNewGameWork[] = {256, 48, 0, 0, 0, 3, 3};
enum NewGameWorkIndex { WR_SET = 2, WR_STAGE = 3 };

void title_init_save_data() {
    for (int i = 0; i < static_cast<int>(std::size(kNewGameWork)); i++) gameflag2[i] = kNewGameWork[i];
    gameflag2[WR_SET] = gameflag[GF_SECOND_SET] == 1 ? 2 : 1;
    gameflag2[WR_STAGE] = gameflag[GF_START_STAGE];
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
    // Up and down are read and ignored, as in every menu.
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
    IsPushCancelKey();  // read and ignored: cancel does nothing in the title
}

void title_drow() {
    ClearSecondary();
    Blt(kTitleSlot, 0, 0);
    BltRect(kCursorSlot, kCursorX[mode], kCursorY, 0, 0, 32, 4);
    KeyInput();
}

void title_relese() {
    ReleaseAllBitmaps();
    soundStopBgm(0);
}

void title_main() { RunSceneLoop(title_init, title_keys, title_drow, title_relese, &scene_exit); }
