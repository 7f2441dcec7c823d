// The fixed-point angles: 65536 units to the turn, 0 straight down the y axis.
#include "math/motatan.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Angles, KnownDirectionsInEveryQuadrant) {
    // x, y, funcTan2(x, y)
    // clang-format off
    const int tan2[][3] = {
        {0, 1, 0},                {1, 0, 16384},            {-1, 0, -16384},          {0, -1, -32768},
        {1, 1, 8192},             {-1, -1, -24576},         {1, 2, 4836},             {2, 1, 11548},
        {3, 4, 6711},             {100, 1, 16283},          {1, 100, 101},            {0, 0, -32768},
        {-1, 1, -8192},           {1, -1, 24576},           {-3, 4, -6711},           {3, -4, 26057},
        {INT_MAX, INT_MAX, 8192}};
    // clang-format on
    for (const auto& c : tan2) EXPECT_EQ(funcTan2(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
    // a, b, MOTatan(a, b); diagonals of any size read as 45 degrees
    // clang-format off
    const int mot[][3] = {
        {255, -1000, 0},           {-255, 1000, -32768},      {0, 0, -32768},            {256, 0, 16384},
        {-256, 0, -16384},         {256, 256, 24576},         {256, -256, 8192},         {-256, 256, -24576},
        {-256, -256, -8192},       {512, -256, 11548},        {-512, 256, -21220},       {511, -511, 8192},
        {INT_MAX, -INT_MAX, 8192}, {INT_MIN, INT_MIN, -8192}, {INT_MIN, 0, -16384},      {300, -1, 16344},
        {INT_MAX, INT_MAX, 24576}};
    // clang-format on
    for (const auto& c : mot) EXPECT_EQ(MOTatan(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
}
