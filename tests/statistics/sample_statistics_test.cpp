#include "statistics/sample_statistics.hpp"

#include <gtest/gtest.h>

#include "support/session_runner.hpp"

#include <cmath>
#include <sstream>

using namespace lorvenna;
using lorvenna::testing::tokens;

TEST(SamplingStatistics, NestedSamplesAreTheLargestUnitOthersArePooled) {
    const std::vector<std::int32_t> data{1, 3, 6, 0, 2, 2};  // 2 species x 3 units
    const SampleCounts c{data.data(), 2, 3};
    EXPECT_EQ(sample_abundances(Design::nested, c, 2), (std::vector<double>{3, 2}));
    EXPECT_EQ(sample_abundances(Design::octaves, c, 3), (std::vector<double>{6, 2}));
    EXPECT_EQ(sample_abundances(Design::independent, c, 2), (std::vector<double>{4, 2}));
    EXPECT_EQ(sample_abundances(Design::random_dependent, c, 3), (std::vector<double>{10, 4}));
    const std::vector<std::int64_t> cells{4, 16, 36};
    EXPECT_EQ(cells_sampled(Design::nested, cells, 2), 16);
    EXPECT_EQ(cells_sampled(Design::diagonal, cells, 3), 56);
}

TEST(SamplingStatistics, DensityBoundaryIsThePoissonUpperLimit) {
    // Exact one-sided 95 % limits: 0 found -> -ln 0.05 = 2.996; 10 found -> 16.96.
    EXPECT_NEAR(density_upper_boundary(0, 100) * 100, 2.996, 0.03);
    EXPECT_NEAR(density_upper_boundary(10, 4) * 4, 16.96, 0.1);
    EXPECT_GT(density_upper_boundary(11, 4), density_upper_boundary(10, 4));
    EXPECT_EQ(density_upper_boundary(3, 0), 0.0);
}

TEST(SamplingStatistics, LloydIndexSeparatesRegularRandomAndClumped) {
    // 8 individuals on 4 cells.
    const SpeciesSample even = species_sample(8, 4 * 2 * 2, 4, {2, 2});       // 2 2 2 2
    EXPECT_NEAR(even.density, 2.0, 1e-12);
    EXPECT_NEAR(even.log2_density, 1.0, 1e-6);
    EXPECT_NEAR(even.lloyd, 0.5, 1e-12);   // variance 0: below 1, regular
    EXPECT_EQ(even.sd, 0.0);
    const SpeciesSample clumped = species_sample(8, 64, 4, {4, 0});         // 8 0 0 0
    EXPECT_NEAR(clumped.lloyd, 3.5, 1e-12);  // m* = 2 + 12/2 - 1 = 7, over 2
    EXPECT_NEAR(clumped.sd, std::sqrt(8.0), 1e-12);
    const SpeciesSample poisson = species_sample(8, 4 * 4 + 4 * 2, 4, {2, 2});  // variance = mean
    EXPECT_NEAR(poisson.lloyd, 1.0, 1e-12);
    const SpeciesSample absent = species_sample(0, 0, 4, {0, 0});
    EXPECT_EQ(absent.density, 0.0);
    EXPECT_EQ(absent.log2_density, 0.0);
    EXPECT_EQ(absent.lloyd, 0.0);
    EXPECT_GT(absent.boundary, 0.0);
    const SpeciesSample nothing = species_sample(0, 0, 0, {});
    EXPECT_EQ(nothing.boundary, 0.0);
}

TEST(SamplingStatistics, RowLayoutsKeepTheSampleRowsApart) {
    const SpeciesSample s = species_sample(8, 64, 4, {4, 0});
    const std::string row = species_sample_line(12, 3.456, s);
    EXPECT_EQ(row.size(), 5u + 1 + 6 * 16 + 2 + 18);
    EXPECT_EQ(row.substr(0, 22), "   12            3.46 ");
    EXPECT_EQ(tokens(row).size(), 8u);  // never mistaken for a statistics row

    CommunityStatistics c;
    c.species = 7;
    c.individuals = 123;
    c.biomass = 45.25;
    c.diversity = 1.5f;
    const std::string stats = sample_statistics_line(c, true, 196, 4);
    const auto t = tokens(stats);
    ASSERT_EQ(t.size(), 11u);
    EXPECT_EQ(t.front(), "7");
    EXPECT_EQ(t[1], "123");
    EXPECT_EQ(t[2], "45.2");
    EXPECT_EQ(t[6], "1.5000");
    EXPECT_EQ(t.back(), "4");
    EXPECT_EQ(stats.size(), 11u + 1 + 11 + 1 + 18 + 1 + 8 * 12);
    EXPECT_EQ(tokens(sample_statistics_line(c, false, 196, 4))[1], "123");
    const std::string header = sample_statistics_header();
    EXPECT_EQ(header.size(), stats.size());
    EXPECT_EQ(header.substr(0, 24), "No. species Ind. Sample ");
    const std::string first = tokens(header).front();
    EXPECT_NE(first.find_first_not_of("0123456789"), std::string::npos);  // not an integer
}
