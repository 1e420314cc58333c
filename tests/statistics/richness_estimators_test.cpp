// The richness estimators on incidence cases worked by hand with the formulas
// of vegan's specpool.
#include <gtest/gtest.h>

#include <cmath>

#include "statistics/richness_estimators.hpp"

namespace lorvenna {
namespace {

TEST(RichnessEstimators, TextbookCasesOfIncidence) {
    const struct {
        const char* what;
        int s, a1, a2, n;
        double bootstrap_summand;
        RichnessEstimates expected;
    } cases[] = {
        {"every species in every unit", 10, 0, 0, 5, 0.0, {10, 10, 10, 10, 10}},
        {"every species a singleton", 6, 6, 0, 6, 6 * std::pow(5.0 / 6.0, 6), {6, 6 + 6 * std::pow(5.0 / 6.0, 6), 18.5, 11, 15}},
        {"singletons, no doubletons", 5, 2, 0, 4, 1.2, {5, 6.2, 5.75, 6.5, 7.5}},
        {"singletons and doubletons", 8, 3, 2, 10, 2.0, {8, 10, 10.025, 10.7, 8 + 5.1 - 128.0 / 90.0}},
    };
    for (const auto& c : cases) {
        const RichnessEstimates e = estimate_richness(c.s, c.a1, c.a2, c.n, c.bootstrap_summand);
        EXPECT_DOUBLE_EQ(e.observed, c.expected.observed) << c.what;
        EXPECT_DOUBLE_EQ(e.bootstrap, c.expected.bootstrap) << c.what;
        EXPECT_DOUBLE_EQ(e.chao2, c.expected.chao2) << c.what;
        EXPECT_DOUBLE_EQ(e.jack1, c.expected.jack1) << c.what;
        EXPECT_DOUBLE_EQ(e.jack2, c.expected.jack2) << c.what;
    }
    const RichnessEstimates one = estimate_richness(4, 4, 0, 1, 0.0);
    EXPECT_EQ(one.chao2, 4.0) << "one unit: the small-sample factor (n - 1)/n is 0";
    EXPECT_TRUE(std::isnan(one.jack2)) << "the second-order jackknife needs two units";
    EXPECT_DOUBLE_EQ(relative_bias(15.0, 20.0), -0.25);
    EXPECT_TRUE(std::isnan(relative_bias(3.0, 0.0)));
}

}  // namespace
}  // namespace lorvenna
