#include "act/act.h"

#include <cstring>

#include "act/act_internal.h"
#include "platform/frame.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "sound/sound.h"

static int32_t scene_exit;
int32_t sn;
int32_t demo[10];
int32_t stage;
// Always 0: the leave step copies them into the first two counters, as the
// record format of a continued game expects; this game never moves on.
static int32_t next_px;
static int32_t next_py;
int32_t map_rot_info;
int32_t player[kPlayerFields];
int32_t save_data[kSaveData];
int32_t item_wk[kItemWork];
int32_t replay[kReplayInts];
char string[1024];
FlyingPiece pshotf[kPieces];
ScoreNumber pshotf2[kNumbers];

constexpr int kStartFrames = 2;

void act_init() {
    scene_exit = 1;
    sn = SN_START;
    stage = 0;
    next_px = 0;
    next_py = 0;
    map_rot_info = 0;
    std::memset(player, 0, sizeof player);
    std::memset(demo, 0, sizeof demo);
    std::memset(pshotf, 0, sizeof pshotf);
    std::memset(pshotf2, 0, sizeof pshotf2);
    std::memset(item_wk, 0, sizeof item_wk);
    std::memset(save_data, 0, sizeof save_data);
    std::memset(replay, 0, sizeof replay);
    std::memset(string, 0, sizeof string);
    ResetGameFlag2();
    player[time_left] = kPlayFrames;
    soundPlayBgm(kGameMusic);
    gameflag[GF_STAGE_DONE] = 0;
    gameflag[GF_NEW_GAME] = 0;
    LoadPicture(kPlayerPicture);
    LoadPicture(kBackgroundPicture);
    LoadPicture(kResultPicture);
    LoadPicture(kFontPicture);
}

void stage_start() {
    KeyInput();
    if (++demo[0] < kStartFrames) return;
    demo[0] = 0;
    sn = SN_PLAY;
}

void stage_endj() {
    if (player[time_left] >= 1) return;
    soundPlaySe(SE_TAVI);
    soundStopBgm(kGameMusic);
    ReportScore(player[score]);
    sn = SN_RESULT;
    demo[0] = 0;
}

void act_drow() {
    ClearSecondary();
    switch (sn) {
        case SN_START:
            playerdisp();
            p_shot_f_disp();
            stage_start();
            debugdisp();
            break;
        case SN_PLAY:
            act_keys();
            playerdisp();
            p_shot_f2_disp();
            p_shot_f_disp();
            mapdisp();
            debugdisp();
            stage_endj();
            break;
        case SN_RESULT:
            playerdisp();
            p_shot_f2_disp();
            p_shot_f_disp();
            mapdisp();
            stage_claer();
            debugdisp();
            break;
        default:
            player[0] = next_px;
            player[1] = next_py;
            scene_exit = 0;
            break;
    }
    halt();
    KeyInput();
}

void save_file_w() {
    SaveGameFlag("save/config");
    ResetGameFlag2();
    save_data[SD_WAIT] = player[wait_count];
    save_data[SD_SIGNAL] = player[signal_count];
    save_data[SD_STAGE] = stage;
    save_data[SD_SWING] = player[swing_count];
    save_data[SD_TIME_LEFT] = player[time_left];
    std::memcpy(gameflag2, save_data, sizeof save_data);
    SaveGameFlag2("save/work.sav");
    ResetGameFlag2();
    std::memcpy(gameflag2, item_wk, sizeof item_wk);
    SaveGameFlag2("save/item_wk.sav");
}

void act_relese() {
    save_file_w();
    ReleaseAllBitmaps();
}

void act_main() {
    act_init();
    while (scene_exit) {
        act_drow();
        FPSWait();
        if (system_keys() == 0) scene_exit = 0;
    }
    act_relese();
}
