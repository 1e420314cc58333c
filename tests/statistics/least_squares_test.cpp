#include "statistics/least_squares.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace lorvenna;

TEST(LeastSquares, RecoversAnExactLine) {
    const LineFit f = fit_line({0.0, 1.0, 2.0, 5.0}, {3.0, 1.0, -1.0, -7.0});
    ASSERT_TRUE(f.made);
    EXPECT_EQ(f.points, 4);
    EXPECT_NEAR(f.slope, -2.0, 1e-12);
    EXPECT_NEAR(f.intercept, 3.0, 1e-12);
    EXPECT_NEAR(f.explained, 1.0, 1e-12);
}

TEST(LeastSquares, ScatteredPointsGiveTheTextbookValues) {
    // x 1..5, y 2 4 5 4 5: slope 0.6, intercept 2.2, r^2 0.6.
    const LineFit f = fit_line({1, 2, 3, 4, 5}, {2, 4, 5, 4, 5});
    ASSERT_TRUE(f.made);
    EXPECT_NEAR(f.slope, 0.6, 1e-12);
    EXPECT_NEAR(f.intercept, 2.2, 1e-12);
    EXPECT_NEAR(f.explained, 0.6, 1e-12);
}

TEST(LeastSquares, NeedsTwoDistinctX) {
    for (const LineFit& f : {fit_line({}, {}), fit_line({2.0}, {1.0}),
                             fit_line({std::log(3.0), std::log(3.0), std::log(3.0)}, {1.0, 2.0, 4.0})}) {
        EXPECT_FALSE(f.made);
        EXPECT_EQ(f.slope, 0.0);
        EXPECT_EQ(f.intercept, 0.0);
        EXPECT_EQ(f.explained, 0.0);
    }
}

TEST(LeastSquares, ConstantYFitsAFlatLineWithoutExplainedVariance) {
    const LineFit f = fit_line({1.0, 2.0, 3.0}, {4.0, 4.0, 4.0});
    ASSERT_TRUE(f.made);
    EXPECT_EQ(f.slope, 0.0);
    EXPECT_EQ(f.intercept, 4.0);
    EXPECT_EQ(f.explained, 0.0);
}

TEST(LeastSquares, NonFinitePointsMakeNoFit) {
    EXPECT_FALSE(fit_line({1.0, 2.0, 3.0}, {1.0, NAN, 2.0}).made);
    EXPECT_FALSE(fit_line({1.0, INFINITY, 3.0}, {1.0, 2.0, 2.0}).made);
}
