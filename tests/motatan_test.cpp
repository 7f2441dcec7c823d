#include "math/motatan.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const long double kPi = 3.141592653589793238462643383279502884L;
const long double kUnitsPerRadian = 32768.0L / kPi;

// Signed distance between two angles in 65536-per-turn units, taken the short
// way round the circle.
long double angleDiff(long double a, long double b) {
    long double d = std::fmod(a - b, 65536.0L);
    if (d >= 32768.0L) d -= 65536.0L;
    if (d < -32768.0L) d += 65536.0L;
    return d;
}

}  // namespace

TEST(FuncTan2, KnownDirections) {
    struct Case {
        int x, y, expected;
    };
    const Case cases[] = {
        {0, 1, 0},      {1, 0, 16384},  {-1, 0, -16384}, {0, -1, -32768}, {1, 1, 8192},  {-1, -1, -24576},
        {1, 2, 4836},   {2, 1, 11548},  {3, 4, 6711},    {100, 1, 16283}, {1, 100, 101}, {0, 0, -32768},
        {-1, 1, -8192}, {1, -1, 24576}, {-3, 4, -6711},  {3, -4, 26057},
    };
    for (const Case& c : cases) EXPECT_EQ(funcTan2(c.x, c.y), c.expected) << "funcTan2(" << c.x << ", " << c.y << ")";
}

TEST(MOTatan, QuadrantsAndZeroAsNonNegative) {
    struct Case {
        int a, b, expected;
    };
    const Case cases[] = {
        {255, -1000, 0},     {-255, 1000, -32768}, {0, 0, -32768},      {256, 0, 16384},
        {-256, 0, -16384},   {256, 256, 24576},    {256, -256, 8192},   {-256, 256, -24576},
        {-256, -256, -8192}, {512, -256, 11548},   {-512, 256, -21220},
    };
    for (const Case& c : cases) EXPECT_EQ(MOTatan(c.a, c.b), c.expected) << "MOTatan(" << c.a << ", " << c.b << ")";
}

TEST(FuncTan2, StaysWithinOneTableStepOfTrueAngle) {
    // The index is floor(1024 * ratio), costing at most one index step of
    // slope (32768 / pi / 1024 units at ratio 0), and the entry itself is
    // floored, costing under one more unit.
    const long double bound = 1.0L + kUnitsPerRadian / 1024.0L;

    std::vector<int> values;
    for (int v = -300; v <= 300; ++v) values.push_back(v);
    for (int v : {1000, 4095, 65535, 99991, (1 << 20) - 1, 1 << 20, (1 << 21) - 1, 1 << 24, INT_MAX}) {
        values.push_back(v);
        values.push_back(-v);
    }
    values.push_back(INT_MIN);

    long double worst = 0;
    for (int x : values) {
        for (int y : values) {
            if (x == 0 && y == 0) continue;
            const int got = funcTan2(x, y);
            const long double want =
                std::atan2(static_cast<long double>(x), static_cast<long double>(y)) * kUnitsPerRadian;
            const long double err = std::fabs(angleDiff(got, want));
            if (err > worst) worst = err;
            ASSERT_LE(err, bound) << "funcTan2(" << x << ", " << y << ") = " << got << ", true " << want;
            // Aiming left must mirror aiming right.
            if (x != INT_MIN) {
                ASSERT_EQ(funcTan2(-x, y), static_cast<int16_t>(-got)) << "mirror of (" << x << ", " << y << ")";
            }
        }
    }
    std::printf("worst error %.4Lf units (bound %.4Lf)\n", worst, bound);
}

TEST(MOTatan, OutOfRangeInputsStayDefinedAndSensible) {
    const int values[] = {INT_MIN, INT_MIN + 1, -(1 << 29), -70000, -511, -256, -255, -1, 0,
                          1,       255,         256,        511,    70000, (1 << 29) - 1, INT_MAX};
    for (int a : values)
        for (int b : values) {
            EXPECT_GE(MOTatan(a, b), -32768);
            EXPECT_LE(MOTatan(a, b), 32767);
        }
    // Diagonals that used to index past the table end still read as 45 degrees.
    struct Case {
        int a, b, expected;
    };
    const Case cases[] = {
        {511, -511, 8192},    {INT_MAX, -INT_MAX, 8192}, {INT_MIN, INT_MIN, -8192},
        {INT_MIN, 0, -16384}, {300, -1, 16384 - 40},     {INT_MAX, INT_MAX, 24576},
    };
    for (const Case& c : cases) EXPECT_EQ(MOTatan(c.a, c.b), c.expected) << "MOTatan(" << c.a << ", " << c.b << ")";
    EXPECT_EQ(funcTan2(INT_MAX, INT_MAX), 8192);
    EXPECT_EQ(funcTan2(0, INT_MIN), -32768);
}
