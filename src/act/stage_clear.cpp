// The result screen: the final score, then OK back to the title, keeping the
// best score (lower is better) and its replay.
#include <cstdio>

#include "act/act_internal.h"
#include "platform/input.h"
#include "platform/records.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"

// OK is ignored for 60 frames and accepted from the 61st, so a late chop
// cannot skip the result.
constexpr int kResultLockFrames = 60;

void replay_file_save(int save) {
    if (!save) return;
    std::snprintf(string, sizeof string, "replay/%d/replay_data_j%d.dat", stage, save_data[map_no]);
    SaveFile(string, replay, sizeof replay);
}

void stage_claer() {
    demo[0]++;
    Blt(kClearSlot, 0, 0);
    DrawScoreDigits(player[score], 8, 130, 70);
    if (IsPushOKKey() && demo[0] > kResultLockFrames) {
        int32_t& best = gameflag[GF_STAGE_BEST + 1 + save_data[map_no]];
        if (best > player[score]) {
            best = player[score];
            replay_file_save(1);
        }
        g_scene = SCENE_TITLE;
        sn = SN_LEAVE;
    }
}
