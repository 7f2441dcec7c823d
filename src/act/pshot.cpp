// Log halves flying off and points floating up after a chop. Fixed tables:
// when one is full, the new object is simply not shown.
#include "act/act_internal.h"
#include "platform/surfaces.h"

constexpr int kPieceLife = 60;
constexpr int kPieceStepX = 20;
constexpr int kPieceStepY = 10;
constexpr int kNumberLife = 100;

void p_shot_f_set(int x, int y, int dir) {
    for (FlyingPiece& p : pshotf) {
        if (p.active) continue;
        p = FlyingPiece{1, x, y, kPieceLife, dir};
        return;
    }
}

void p_shot_f2_set(int x, int y, int value) {
    for (ScoreNumber& n : pshotf2) {
        if (n.active) continue;
        n = ScoreNumber{x, y, 1, 0, value};
        return;
    }
}

void p_shot_f_disp() {
    for (FlyingPiece& p : pshotf) {
        if (p.active != 1) continue;
        BltRect(kPlayerSlot, p.x, p.y, p.dir == 0 ? 0 : 32, 64, 32, 32);
        p.x += p.dir == 0 ? -kPieceStepX : kPieceStepX;
        p.y -= kPieceStepY;
        if (--p.life == 0) p.active = 0;
    }
}

void p_shot_f2_disp() {
    for (ScoreNumber& n : pshotf2) {
        if (n.active != 1) continue;
        DrawScoreDigits(n.value, 4, n.x, n.y);
        n.y -= n.age / 10;  // rising faster as it ages
        if (++n.age >= kNumberLife) n.active = 0;
    }
}
