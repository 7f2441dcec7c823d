// The reaction game: a signal every 121 frames, points by how fast the chop
// key answers it.
#include "act/act_internal.h"
#include "platform/frame.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "sound/sound.h"

void se_wav(int effect) { soundPlaySe(effect); }

static void ScoreChop() {
    bool fast = player[signal_count] > kWindowFrames - kFastFrames;
    int points = fast ? kFastPoints : player[signal_count] * kPointsPerFrameLeft;
    player[score] += points;
    p_shot_f2_set(kNumberX, kLogY, points);
    se_wav(fast ? SE_KAN : SE_HIT1);
    ReportChop();
    p_shot_f_set(kLogX, kLogY, 0);
    p_shot_f_set(kLogX, kLogY, 1);
}

void act_keys() {
    if (++player[wait_count] >= kSignalPeriod) {
        se_wav(SE_OO);
        player[wait_count] = 0;
        player[signal_count] = kWindowFrames;
        player[pressed] = 0;
    }
    if (IsPushKey(gameflag[GF_KEY_A])) {
        if (player[signal_count] > 0 && player[pressed] == 0) ScoreChop();
        player[pressed] = 1;
        player[wait_count] = 0;
        player[signal_count] = 0;
        player[swing_count] = kSwingFrames;
    }
    if (player[signal_count] > 0) player[signal_count]--;
    if (player[swing_count] > 0) player[swing_count]--;
    if (player[time_left] > 0) player[time_left]--;
}

void playerdisp() {
    Blt(kBackgroundSlot, 0, 0);
    bool chopping = player[pressed] == 1 && player[swing_count] > 0;
    BltRect(kPlayerSlot, kFigureX, kFigureY, chopping ? 192 : 128, 0, 64, 96);
    bool signal = player[signal_count] > 0;
    BltRect(kPlayerSlot, kSignalX, kSignalY, signal ? 160 : 96, 96, 64, 64);
    if (signal && player[pressed] == 0) BltRect(kPlayerSlot, kLogX, kLogY, 0, 32, 32, 32);
}
