#include "base/integer_math.h"

#include <gtest/gtest.h>

namespace pellumo {
namespace {

struct MulDivCase {
    std::int32_t a, b, c, expected;
};

TEST(MulDiv, RoundsHalvesAwayFromZeroWithA64BitProduct) {
    const MulDivCase cases[] = {
        {1, 3, 2, 2},           // 1.5
        {-1, 3, 2, -2},         // -1.5
        {1, -3, 2, -2},
        {-1, -3, 2, 2},
        {1, 3, -2, -2},         // negative divisor
        {5, 1, 2, 3},           // 2.5
        {1, 1, 3, 0},           // 0.33
        {2, 1, 3, 1},           // 0.67
        {-2, 1, 3, -1},
        {1024, 1025, 2048, 513},                    // 512.5
        {2000000000, 2000000000, 2000000000, 2000000000},  // product beyond 32 bits
        {0, -5, 3, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(MulDiv, ZeroDivisorAndOverflowGiveMinusOne) {
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 2, 1), -1);
    EXPECT_EQ(MulDiv(-2000000000, 2, 1), -1);
}

TEST(Round, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(1.5), 2);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(-0.5), 0);
    EXPECT_EQ(Round(-1.5), -2);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(512.5), 512);
    EXPECT_EQ(Round(2.4999), 2);
    EXPECT_EQ(Round(-2.5001), -3);
    EXPECT_EQ(Round(738 / 0.75), 984);
}

TEST(Trunc, DropsTheFractionTowardZero) {
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_EQ(Trunc(-0.1), 0);
}

}  // namespace
}  // namespace pellumo
