// The fixed-point angles: 65536 units to the turn, 0 straight down the y axis.
#include "math/motatan.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(Angles, KnownDirectionsInEveryQuadrant) {
    const int tan2[][3] = {  // x, y, funcTan2(x, y)
        {0, 1, 0},      {1, 0, 16384},  {-1, 0, -16384}, {0, -1, -32768}, {1, 1, 8192},  {-1, -1, -24576},
        {1, 2, 4836},   {2, 1, 11548},  {3, 4, 6711},    {100, 1, 16283}, {1, 100, 101}, {0, 0, -32768},
        {-1, 1, -8192}, {1, -1, 24576}, {-3, 4, -6711},  {3, -4, 26057},  {INT_MAX, INT_MAX, 8192},
    };
    for (const auto& c : tan2) EXPECT_EQ(funcTan2(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
    const int mot[][3] = {  // a, b, MOTatan(a, b); diagonals of any size read as 45 degrees
        {255, -1000, 0},   {-255, 1000, -32768}, {0, 0, -32768},        {256, 0, 16384},      {-256, 0, -16384},
        {256, 256, 24576}, {256, -256, 8192},    {-256, 256, -24576},   {-256, -256, -8192},  {512, -256, 11548},
        {-512, 256, -21220}, {511, -511, 8192},  {INT_MAX, -INT_MAX, 8192}, {INT_MIN, INT_MIN, -8192},
        {INT_MIN, 0, -16384}, {300, -1, 16344},  {INT_MAX, INT_MAX, 24576},
    };
    for (const auto& c : mot) EXPECT_EQ(MOTatan(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
}

// Within one table step of the true angle, and aiming left mirrors aiming right.
TEST(Angles, CloseToTheTrueAngleEverywhere) {
    const double unitsPerRadian = 32768.0 / M_PI, bound = 1.0 + unitsPerRadian / 1024.0;
    std::vector<int> values;
    for (int v = -300; v <= 300; v += 3) values.push_back(v);
    for (int v : {1000, 65535, 99991, 1 << 20, 1 << 24, INT_MAX}) values.push_back(v), values.push_back(-v);
    for (int x : values)
        for (int y : values) {
            if (x == 0 && y == 0) continue;
            const int got = funcTan2(x, y);
            double err = std::fmod(got - std::atan2(double(x), double(y)) * unitsPerRadian + 98304.0, 65536.0) - 32768.0;
            ASSERT_LE(std::fabs(err), bound) << "funcTan2(" << x << ", " << y << ") = " << got;
            ASSERT_EQ(funcTan2(-x, y), static_cast<int16_t>(-got)) << x << ", " << y;
        }
}
