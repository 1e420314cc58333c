#include "input/derived_values.hpp"

#include <gtest/gtest.h>

#include <sstream>

using namespace lorvenna;

TEST(DerivedValues, MidpointGridSideIsTheNextPowerOfTwoPlusOne) {
    const std::pair<long long, long long> cases[] = {{1, 3},    {2, 3},     {10, 17},   {50, 65},
                                                     {64, 65},  {65, 129},  {100, 129}, {128, 129},
                                                     {129, 257}, {500, 513}, {1000, 1025}};
    for (const auto& [side, expected] : cases) EXPECT_EQ(rmd_grid_side(side), expected) << side;
}

TEST(DerivedValues, FractalDimensionClampOnlyForMidpointGrids) {
    ParameterSet p;
    p.Fractal = keyword("rmd");
    p.Scale1 = 1.5f;
    clamp_fractal_dimension(p);
    EXPECT_EQ(p.Scale1, 2.0f);
    p.Scale1 = 3.5f;
    clamp_fractal_dimension(p);
    EXPECT_EQ(p.Scale1, 3.0f);
    p.Fractal = keyword("super");
    p.Scale1 = 5.0f;
    clamp_fractal_dimension(p);
    EXPECT_EQ(p.Scale1, 5.0f);
}

struct DensityCase {
    float maxD, minD, max_individuals, min_abundance;
};

TEST(DerivedValues, DensitiesPerGrid) {
    std::istringstream in;
    std::ostringstream out;
    Io io{in, out, ".", real_file_system()};
    WorkArea wa(io);
    wa.params.Areal = 20;
    const DensityCase cases[] = {
        {0.0f, 0.0f, 1.0e8f, 1.0e-12f},  // both zero: a vanishing minimum, 1e8 individuals at most
        {2.0f, 0.0f, 800.0f, 1.0f},      // below one individual per grid: one individual
        {2.0f, 0.5f, 800.0f, 200.0f},    // otherwise minD individuals in every cell
        {-1.0f, 0.25f, 1.0e8f, 100.0f},
    };
    for (const auto& c : cases) {
        wa.params.maxD = c.maxD;
        wa.params.minD = c.minD;
        derive_densities(wa);
        EXPECT_FLOAT_EQ(static_cast<float>(wa.derived.max_individuals), c.max_individuals) << c.maxD << " " << c.minD;
        EXPECT_FLOAT_EQ(wa.derived.min_abundance, c.min_abundance) << c.maxD << " " << c.minD;
    }
}

TEST(DerivedValues, RescalingPrintsTheNewSideTwice) {
    std::istringstream in;
    std::ostringstream out;
    Io io{in, out, ".", real_file_system()};
    WorkArea wa(io);
    wa.params.Areal = 100;
    wa.params.Fractal = keyword("rmd");
    rescale_grid_for_rmd(wa);
    EXPECT_EQ(wa.params.Areal, 129);
    EXPECT_EQ(out.str(), "Gridsize rescaled to   129 x  129\n");
    wa.params.Fractal = keyword("super");
    rescale_grid_for_rmd(wa);
    EXPECT_EQ(wa.params.Areal, 129);
}
