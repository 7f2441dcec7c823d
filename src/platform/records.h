// The settings record (save/config) and the work record (save/work.sav,
// save/item_wk.sav): 1024 little-endian int32 each, 4096 bytes, no header.
#pragma once
#include <cstdint>

constexpr int kRecordSize = 1024;

extern int32_t gameflag[kRecordSize];
extern int32_t gameflag2[kRecordSize];
extern int32_t g_DebugDisp;

enum GameFlagIndex {
    GF_KEY_UP = 0,
    GF_KEY_DOWN = 1,
    GF_KEY_LEFT = 2,
    GF_KEY_RIGHT = 3,
    GF_KEY_A = 4,
    GF_KEY_B = 5,
    GF_KEY_MORE = 6,  // 6 to 11: further bindings, stored but unused
    GF_LAST_EXIT = 40,
    GF_VOLUME = 60,
    GF_ZOOM = 61,
    GF_NEW_GAME = 70,
    GF_STAGE_DONE = 71,
    GF_STARTED = 100,
    GF_PLAY_FRAMES = 107,
    GF_PLAY_SECONDS = 108,
    GF_PLAY_MINUTES = 109,
    GF_PLAY_HOURS = 110,
    GF_RESERVED_111 = 111,  // 111 to 113, 137, 138 and 200 to 299 keep their first-start values
    GF_START_STAGE = 120,
    GF_STAGE_LIMIT = 121,
    GF_CONTINUE_STAGE = 123,
    GF_SECOND_SET = 126,
    GF_TIME_TRIAL = 127,
    GF_NO_ENEMY_HIT = 128,
    GF_FROM_STAGESELECT = 129,
    GF_MINIMAP = 132,
    GF_RESERVED_137 = 137,
    GF_RESERVED_138 = 138,
    GF_RESERVED_TABLE = 200,
    GF_STAGE_BEST = 300,
};

void ResetGameFlag();
int LoadGameFlag(const char* path);
int SaveGameFlag(const char* path);
void ResetGameFlag2();
int LoadGameFlag2(const char* path);
int SaveGameFlag2(const char* path);

// Replaces the file with the first `size` bytes of `buffer`.
int SaveFile(const char* path, const void* buffer, int size);

// The unsigned number after "key=" on the first line of a text file that
// mentions the key; 0 when there is none.
int GetConfig(const char* path, const char* key);

void main_init_config();
