#include "numerics/random_stream.hpp"

#include <gtest/gtest.h>

#include <cmath>

using lorvenna::RandomStream;

TEST(RandomStream, UniformStepsFromSeedZeroAndOne) {
    RandomStream r(0);
    EXPECT_EQ(r.uniform(), 0.0);  // state 1: top 24 bits are 0
    EXPECT_EQ(r.seed(), 1u);
    EXPECT_EQ(r.uniform(), 269.0 / 16777216.0);
    EXPECT_EQ(r.seed(), 69070u);
    RandomStream one(1);
    one.uniform();
    EXPECT_EQ(one.seed(), 69070u);
    EXPECT_EQ(r.uniform_draws(), 2u);
}

TEST(RandomStream, UniformWrapsModulo2To32AndStaysBelowOne) {
    RandomStream r(0xFFFFFFFFu);
    const double u = r.uniform();
    EXPECT_EQ(r.seed(), static_cast<std::uint32_t>(69069ull * 0xFFFFFFFFull + 1ull));
    EXPECT_LT(u, 1.0);
    // The largest possible value is (2^24 - 1) / 2^24.
    RandomStream top(0);
    double largest = 0.0;
    for (int i = 0; i < 200000; ++i) largest = std::max(largest, top.uniform());
    EXPECT_LT(largest, 1.0);
}

TEST(RandomStream, NormalDiscardsAZeroFirstDrawAndUsesTheCosineBranch) {
    // From seed 0 the first uniform is exactly 0: it is discarded, the second
    // becomes u1 and the third u2.
    RandomStream r(0);
    const double z = r.normal();
    RandomStream check(0);
    check.uniform();
    const double u1 = check.uniform();
    const double u2 = check.uniform();
    EXPECT_DOUBLE_EQ(z, std::sqrt(-2.0 * std::log(u1)) * std::cos(static_cast<double>(6.28318f) * u2));
    EXPECT_EQ(r.uniform_draws(), 3u);
    EXPECT_EQ(r.normal_draws(), 1u);
    EXPECT_EQ(r.seed(), check.seed());
}

TEST(RandomStream, NormalIsBoundedAndRoughlyStandard) {
    RandomStream r(987654321u);
    double sum = 0.0, sum2 = 0.0, largest = 0.0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const double z = r.normal();
        sum += z;
        sum2 += z * z;
        largest = std::max(largest, std::fabs(z));
    }
    EXPECT_LE(largest, std::sqrt(-2.0 * std::log(static_cast<double>(1.0e-9f))));
    EXPECT_NEAR(sum / n, 0.0, 0.02);
    EXPECT_NEAR(sum2 / n, 1.0, 0.02);
}
