// Values derived from a parameter set as it is read.
#include "input/derived_values.hpp"

#include <gtest/gtest.h>

namespace lorvenna {
namespace {

TEST(DerivedValues, MidpointGridSideIsTheNextPowerOfTwoPlusOne) {
    const std::pair<long long, long long> cases[] = {{1, 3},     {2, 3},     {10, 17},  {50, 65},    {64, 65},
                                                     {65, 129},  {100, 129}, {128, 129}, {129, 257}, {1000, 1025},
                                                     {1LL << 62, -1}};
    for (const auto& [side, expected] : cases) EXPECT_EQ(rmd_grid_side(side), expected) << side;
    ParameterSet p;
    p.Fractal = keyword("rmd");
    p.Areal = 2000000000;
    EXPECT_EQ(grid_side_for(p), 2147483647) << "held to the largest int";
    p.Fractal = keyword("super");
    EXPECT_EQ(grid_side_for(p), 2000000000);
}

TEST(DerivedValues, DensitiesPerGrid) {
    struct Case {
        float maxD, minD;
        double max_individuals;
        float min_abundance;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 1.0e8, 1.0e-12f},  // both zero: a vanishing minimum, 1e8 individuals at most
        {2.0f, 0.0f, 800.0, 1.0f},      // below one individual per grid: one individual
        {2.0f, 0.5f, 800.0, 200.0f},    // otherwise minD individuals in every cell
        {-1.0f, 0.25f, 1.0e8, 100.0f},
    };
    for (const Case& c : cases) {
        ParameterSet p;
        p.maxD = c.maxD;
        p.minD = c.minD;
        DerivedValues d;
        d.grid_side = 20;
        derive_densities(p, d);
        EXPECT_DOUBLE_EQ(d.max_individuals, c.max_individuals) << c.maxD << " " << c.minD;
        EXPECT_FLOAT_EQ(d.min_abundance, c.min_abundance) << c.maxD << " " << c.minD;
    }
}

}  // namespace
}  // namespace lorvenna
