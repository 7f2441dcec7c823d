#pragma once

#include <cstdint>

// Angles are 65536 units per turn (16384 = 90 degrees), returned as signed
// 16-bit values sign-extended to int, so half a turn reads as -32768.

// floor(atan(i / 1024) * 32768 / pi) for i = 0..1024; the tail is zero.
extern const uint16_t AtanTable[1040];

// Angle of the vector (a, -b). a and b are meant to be whole multiples of
// 256 below 2^29 in magnitude; anything else still gives a defined angle.
int MOTatan(int a, int b);

// atan2(x, y): 0 along +y, 16384 along +x. Any int input is accepted.
int funcTan2(int x, int y);
