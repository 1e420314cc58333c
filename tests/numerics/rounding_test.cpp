#include "numerics/rounding.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace lorvenna;

TEST(Rounding, NearestRoundsHalvesAwayFromZero) {
    EXPECT_EQ(nearest(2.5), 3);
    EXPECT_EQ(nearest(-2.5), -3);
    EXPECT_EQ(nearest(0.49999), 0);
    EXPECT_EQ(nearest(1.5), 2);
}

TEST(Rounding, TruncationGoesTowardZeroAndSaturates) {
    EXPECT_EQ(trunc_to(3.99), 3);
    EXPECT_EQ(trunc_to(-3.99), -3);
    EXPECT_EQ(trunc_to<int>(1e20), 2147483647);
    EXPECT_EQ(trunc_to<int>(-1e20), -2147483647 - 1);
    EXPECT_EQ(trunc_to<int>(std::nan("")), 0);
    EXPECT_EQ(nearest<int>(INFINITY), 2147483647);
}

TEST(Rounding, BinaryLogarithmUsesSinglePrecisionLn2) {
    EXPECT_NEAR(lb(8.0), 3.0, 1e-7);
    EXPECT_LT(lb(2.0), 1.0);  // the single-precision ln 2 is slightly above ln 2
}
