// Score and seconds left, top left, in the play and result states.
#include "act/act_internal.h"
#include "platform/surfaces.h"

void DrawScoreDigits(int value, int digits, int x, int y) {
    BltNumericImage2(value, digits, x, y, kFontSlot, 0, 0, 10, 8);
}

void mapdisp() {
    BltRect(kPlayerSlot, 0, 0, 0, 160, 96, 32);
    DrawScoreDigits(player[score], 9, 50, 10);
    BltRect(kPlayerSlot, 0, 32, 0, 192, 96, 32);
    DrawScoreDigits(player[time_left] / 60, 2, 150, 42);
}
