// A column of the game's counters and two angles, when "debug.txt" asks.
#include "act/act_internal.h"
#include "math/motatan.h"
#include "platform/records.h"
#include "platform/surfaces.h"

void debugdisp() {
    if (g_DebugDisp == 0) return;
    const int32_t rows[7] = {
        player[wait_count],
        player[signal_count],
        player[pressed],
        player[swing_count],
        map_rot_info,
        funcTan2(player[debug_x], player[debug_y]),
        static_cast<int16_t>(MOTatan(player[debug_x] * 256, player[debug_y] * 256)),
    };
    for (int row = 0; row < 7; row++) BltNumericImage(rows[row], 8, 10, 10 + 10 * row, kFontSlot, 0, 0, 10, 8);
}
