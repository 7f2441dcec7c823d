// State and steps of the action scene, shared by the files of src/act.
#pragma once
#include <cstdint>

#include "act/chop.h"
#include "platform/picture_files.h"

// Sub-states of the scene (sn); any other value is the leave step.
enum ActState { SN_START = 0, SN_PLAY = 1, SN_RESULT = 2, SN_LEAVE = 10 };

// Elements of `player` in use; all others stay 0.
enum PlayerField {
    wait_count = 0,    // frames since the last signal or push
    signal_count = 1,  // frames left in the open signal window, 0 when closed
    pressed = 2,       // 1 from a push until the next signal
    swing_count = 3,   // frames left of the chopping pose
    score = 4,
    time_left = 8,  // frames of play left
    debug_x = 30,   // the vector the debug overlay measures
    debug_y = 31,
};

constexpr int kPlayerFields = 50;
constexpr int kPlayFrames = 3600;
constexpr int kPieces = 40;
constexpr int kNumbers = 80;
constexpr int kSaveData = 512;
constexpr int kItemWork = 500;
constexpr int kReplayInts = 36000;
// Picture slots.
constexpr int kPlayerSlot = kPlayerPicture.slot;
constexpr int kBackgroundSlot = kBackgroundPicture.slot;
constexpr int kClearSlot = kResultPicture.slot;
constexpr int kFontSlot = kFontPicture.slot;

struct FlyingPiece {
    int32_t active, x, y, life, dir;
};
struct ScoreNumber {
    int32_t x, y, active, age, value;
};

extern int32_t sn;
extern int32_t demo[10];
extern int32_t stage;
extern int32_t map_rot_info;
extern int32_t player[kPlayerFields];
extern int32_t save_data[kSaveData];
extern int32_t item_wk[kItemWork];
extern int32_t replay[kReplayInts];
extern char string[1024];
extern FlyingPiece pshotf[kPieces];
extern ScoreNumber pshotf2[kNumbers];

// Places in save_data, the game's part of the work record.
enum SaveDataIndex { SD_WAIT = 0, SD_SIGNAL = 1, SD_STAGE = 2, SD_SWING = 4, SD_TIME_LEFT = 5 };
constexpr int map_no = 3;  // the index of the map number

void stage_start();
void stage_endj();
void save_file_w();
void act_keys();
void playerdisp();
void se_wav(int effect);
void mapdisp();
void p_shot_f_set(int x, int y, int dir);
void p_shot_f2_set(int x, int y, int value);
void p_shot_f_disp();
void p_shot_f2_disp();
void stage_claer();
void replay_file_save(int save);  // writes the replay file when save is non-zero
void debugdisp();

// The score digits everywhere in the scene: 10 x 8 glyphs from the font slot.
void DrawScoreDigits(int value, int digits, int x, int y);
