#include "statistics/grid_scaling.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>

using namespace lorvenna;

TEST(GridScaling, ClassesUseConsecutiveNonOverlappingPairs) {
    // Differences 1 2 3 4 at ruler 1; pairs (1,3) and (3,5) give 3 and 7 at ruler 2;
    // ruler 4 has one pair only, so the classes end there.
    const std::vector<double> first{0, 1, 3, 6, 10};
    const std::vector<double> second{0, 2, 2, 4, 4};
    const ScalingAnalysis s = scale_diagonals(first, second);
    EXPECT_EQ(s.classes, 2);
    EXPECT_EQ(s.increments, (std::vector<std::int64_t>{1, 1, 2, 2}));
    ASSERT_EQ(s.variances.size(), 4u);
    EXPECT_NEAR(s.variances[0], 1.25, 1e-12);
    EXPECT_NEAR(s.lengths[0], 10.0, 1e-12);
    EXPECT_NEAR(s.variances[1], 1.0, 1e-12);   // |d| 2 0 2 0
    EXPECT_NEAR(s.lengths[1], 4.0, 1e-12);
    EXPECT_NEAR(s.variances[2], 4.0, 1e-12);
    EXPECT_NEAR(s.lengths[2], 10.0, 1e-12);
    EXPECT_NEAR(s.variances[3], 0.0, 1e-12);   // |d| 2 2
    EXPECT_NEAR(s.lengths[3], 4.0, 1e-12);
    // Range: class 1 (second-diagonal variance 1) is the first above 1e-6 and the largest.
    EXPECT_EQ(s.points, 2);
    EXPECT_FALSE(s.variance_fit.made);  // fewer than four points
    EXPECT_EQ(s.variance_dimension, 0.0);
}

TEST(GridScaling, BrownianProfileHasDimensionOneAndAHalf) {
    // A random walk: the variance of increments grows in proportion to the ruler,
    // so the variance slope is 1 (D = 2 - 1/2) and the surface length falls as
    // ruler^-1/2 (D = 1 + 1/2).
    std::uint32_t seed = 12345u;
    auto gauss = [&seed] {
        double sum = 0.0;
        for (int k = 0; k < 12; ++k) {
            seed = 1664525u * seed + 1013904223u;
            sum += (seed >> 8) / 16777216.0;
        }
        return sum - 6.0;
    };
    const int L = 1 << 16;
    std::vector<double> a(L + 1), b(L + 1);
    for (int i = 1; i <= L; ++i) {
        a[static_cast<std::size_t>(i)] = a[static_cast<std::size_t>(i - 1)] + gauss();
        b[static_cast<std::size_t>(i)] = b[static_cast<std::size_t>(i - 1)] + gauss();
    }
    const ScalingAnalysis s = scale_diagonals(a, b);
    EXPECT_EQ(s.classes, 16);  // rulers 1 .. 2^15; 2^16 leaves one pair
    ASSERT_TRUE(s.variance_fit.made);
    ASSERT_TRUE(s.length_fit.made);
    EXPECT_GE(s.points, 8);
    EXPECT_NEAR(s.variance_dimension, 1.5, 0.12);
    EXPECT_NEAR(s.length_dimension, 1.5, 0.12);
    EXPECT_NEAR(s.variance_fit.slope, 1.0, 0.25);
}

TEST(GridScaling, FlatGridHasNoClassesAndZeroFits) {
    const std::vector<double> flat(33, 2.5);
    const ScalingAnalysis s = scale_diagonals(flat, flat);
    EXPECT_EQ(s.classes, 0);
    const auto lines = scaling_lines(s);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[3], "     0      0          0.000000   0.000   0.000          0.000000   0.000   0.000");
}

TEST(GridScaling, RowLayouts) {
    const ScalingAnalysis s = scale_diagonals({0, 1, 3, 6, 10}, {0, 2, 2, 4, 4});
    const auto lines = scaling_lines(s);
    EXPECT_EQ(lines[0].size(), 4u * 18u);
    EXPECT_EQ(lines[0].substr(0, 18), std::string(17, ' ') + "1");
    EXPECT_EQ(lines[1].substr(0, 18), "           1.25000");
    EXPECT_EQ(lines[3].substr(0, 13), "     2      2");
    EXPECT_EQ(grid_line(3, 1.5, -0.25), "     3     1.50000    -0.25000");
}
