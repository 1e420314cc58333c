// Line fits and what they serve: species-area and endemics-area curves, the
// tallies of a sample-size pass, what a sample tells of one species, and the
// scaling of the habitat along the grid diagonals.
#include <gtest/gtest.h>

#include <cmath>

#include "landscape/habitat_scaling.hpp"
#include "sampling/sample_size_tally.hpp"
#include "statistics/area_relations.hpp"
#include "statistics/least_squares.hpp"
#include "statistics/sample_statistics.hpp"

namespace lorvenna {
namespace {

TEST(LeastSquares, TextbookLinesAndTheCasesWithoutOne) {
    const LineFit exact = fit_line({0.0, 1.0, 2.0, 5.0}, {3.0, 1.0, -1.0, -7.0});
    ASSERT_TRUE(exact.made);
    EXPECT_EQ(exact.points, 4);
    EXPECT_NEAR(exact.slope, -2.0, 1e-12);
    EXPECT_NEAR(exact.intercept, 3.0, 1e-12);
    EXPECT_NEAR(exact.explained, 1.0, 1e-12);
    const LineFit scattered = fit_line({1, 2, 3, 4, 5}, {2, 4, 5, 4, 5});  // slope 0.6, intercept 2.2, r^2 0.6
    EXPECT_NEAR(scattered.slope, 0.6, 1e-12);
    EXPECT_NEAR(scattered.intercept, 2.2, 1e-12);
    EXPECT_NEAR(scattered.explained, 0.6, 1e-12);
    const LineFit flat = fit_line({1.0, 2.0, 3.0}, {4.0, 4.0, 4.0});
    EXPECT_TRUE(flat.made);
    EXPECT_EQ(flat.intercept, 4.0);
    EXPECT_EQ(flat.explained, 0.0) << "y does not vary: nothing explained";
    for (const LineFit& f : {fit_line({}, {}), fit_line({2.0}, {1.0}), fit_line({std::log(3.0), std::log(3.0)}, {1.0, 2.0}),
                             fit_line({1.0, 2.0, 3.0}, {1.0, NAN, 2.0}), fit_line({1.0, INFINITY}, {1.0, 2.0})}) {
        EXPECT_FALSE(f.made);
        EXPECT_EQ(f.slope, 0.0);
        EXPECT_EQ(f.intercept, 0.0);
    }
}

TEST(SpeciesArea, FitsRecoverKnownCurvesAndLeaveOutSizesWithoutSpecies) {
    std::vector<double> area{1, 2, 4, 8, 16}, power, semi_log, endemics;
    for (const double a : area) {
        power.push_back(3.0 * std::pow(a, 0.25));
        semi_log.push_back(2.0 + 5.0 * std::log(a));
        endemics.push_back(0.5 * std::pow(a, 0.8));
    }
    SpeciesAreaFits f = fit_species_area(area, power, endemics);
    EXPECT_NEAR(f.power.c, 3.0, 1e-9);
    EXPECT_NEAR(f.power.z, 0.25, 1e-9);
    EXPECT_NEAR(f.power.explained, 1.0, 1e-9);
    EXPECT_NEAR(f.endemics.c, 0.5, 1e-9);
    EXPECT_NEAR(f.endemics.z, 0.8, 1e-9);
    f = fit_species_area(area, semi_log, endemics);
    EXPECT_NEAR(f.semi_log.c, 2.0, 1e-9);
    EXPECT_NEAR(f.semi_log.z, 5.0, 1e-9);
    EXPECT_NEAR(f.semi_log.explained, 1.0, 1e-9);

    // Size 2 has no species: it and every smaller size are left out, leaving S = A.
    const std::vector<double> species{5, 0, 4, 8, 16};
    EXPECT_EQ(first_size_with_species(species), 2u);
    f = fit_species_area(area, species, {7, 7, 2, 0, 8});
    EXPECT_NEAR(f.power.c, 1.0, 1e-9);
    EXPECT_NEAR(f.power.z, 1.0, 1e-9);
    EXPECT_NEAR(f.endemics.z, 1.0, 1e-9) << "a size without endemics is left out alone";
    EXPECT_NEAR(f.endemics.c, 0.5, 1e-9);
    EXPECT_EQ(fit_species_area(area, species, {0, 0, 0, 0, 0}).endemics.c, 0.0);
    // Areas of one size only fit nothing.
    f = fit_species_area({9, 9}, {3, 5}, {1, 2});
    for (const double v : {f.power.c, f.power.z, f.semi_log.c, f.semi_log.z, f.endemics.c, f.endemics.z}) EXPECT_EQ(v, 0.0);
    EXPECT_DOUBLE_EQ(bootstrap_term(1, 3), 8.0 / 27.0);
}

// A sample table given species by species.
struct Table {
    std::vector<std::int32_t> data;
    int species = 0, units = 0;
    Table(std::initializer_list<std::vector<std::int32_t>> rows) {
        for (const auto& r : rows) {
            units = static_cast<int>(r.size());
            data.insert(data.end(), r.begin(), r.end());
            ++species;
        }
    }
    SampleCounts view() const { return SampleCounts{data.data(), species, units}; }
};

TEST(SampleSizeTally, FirstUnitCreditsFollowTheUnitOrder) {
    const Table t{{0, 3, 1, 0}, {2, 0, 0, 0}, {0, 0, 0, 5}, {0, 0, 0, 0}};
    std::vector<double> credited(3, 0.0);
    credit_first_units(t.view(), 3, {0, 1, 2, 3}, credited);
    EXPECT_EQ(credited, (std::vector<double>{1, 1, 0})) << "species 3 lies beyond the 3 units";
    std::vector<double> reordered(4, 0.0);
    credit_first_units(t.view(), 4, {2, 3, 1, 0}, reordered);
    EXPECT_EQ(reordered, (std::vector<double>{1, 1, 0, 1}));
}

TEST(SampleSizeTally, RowsOfIndependentUnits) {
    // Units of 1, 4, 9 cells; species 1 in all, species 2 in unit 2, species 3 in units 1 and 3.
    const Table t{{1, 4, 2}, {0, 6, 0}, {3, 0, 1}};
    const std::vector<std::int64_t> area{1, 4, 9}, niches{2, 5, 11};
    const SpeciesAreaRows r = species_area_rows(Design::independent, t.view(), area, niches, 3, {0, 1, 2}, {2, 1, 0}, 5);
    EXPECT_EQ(r.area, area);
    EXPECT_EQ(r.niches, niches);
    EXPECT_EQ(r.occupancy, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(r.endemics, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(r.cumulative, (std::vector<double>{2, 3, 3}));
    EXPECT_EQ(r.species_sampled, 3);
    EXPECT_NEAR(r.species_per_unit, 2.0, 1e-12);
    EXPECT_NEAR(r.relative_density, 2.0 / 5.0, 1e-12);
    EXPECT_NEAR(r.bootstrap, 8.0 / 27.0 + 1.0 / 27.0, 1e-12);  // (1 - 1/3)^3 + (1 - 2/3)^3 + (1 - 3/3)^3
    EXPECT_EQ(r.samples, 3);
    EXPECT_EQ(r.singles, 1);
    EXPECT_EQ(r.doubles, 1);
    EXPECT_NEAR(r.fits.power.z, 0.0, 1e-12) << "2 species in every unit: a flat curve";
    EXPECT_NEAR(r.fits.power.c, 2.0, 1e-12);
}

TEST(SampleSizeTally, EqualUnitsAccumulateInTheirOrder) {
    // "dep": four units of 4 cells, cumulative niches 3, 5, 9, 10 (own niches 3, 2, 4, 1).
    const Table t{{1, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 0, 7}, {1, 1, 1, 1}};
    const std::vector<int> order{2, 0, 1, 3};
    std::vector<double> credited(4, 0.0);
    credit_first_units(t.view(), 4, order, credited);
    const SpeciesAreaRows r =
        species_area_rows(Design::random_dependent, t.view(), {4, 4, 4, 4}, {3, 5, 9, 10}, 4, order, credited, 4);
    EXPECT_EQ(r.area, (std::vector<std::int64_t>{4, 8, 12, 16}));
    EXPECT_EQ(r.niches, (std::vector<std::int64_t>{4, 7, 9, 10}));
    EXPECT_EQ(r.endemics, (std::vector<int>{0, 1, 1, 1})) << "in scan order";
    EXPECT_EQ(r.cumulative, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_NEAR(r.fits.power.z, 1.0, 1e-12) << "S = A / 4 from the first unit on";
    EXPECT_NEAR(r.fits.power.c, 0.25, 1e-12);
    EXPECT_GT(r.fits.endemics.z, 0.0);
}

TEST(SpeciesSample, PoissonBoundaryAndLloydsIndex) {
    // Exact one-sided 95 % limits: 0 found -> -ln 0.05 = 2.996; 10 found -> 16.96.
    EXPECT_NEAR(density_upper_boundary(0, 100) * 100, 2.996, 0.03);
    EXPECT_NEAR(density_upper_boundary(10, 4) * 4, 16.96, 0.1);
    EXPECT_GT(density_upper_boundary(11, 4), density_upper_boundary(10, 4));
    EXPECT_EQ(density_upper_boundary(3, 0), 0.0);
    // 8 individuals on 4 cells, in two units of two cells.
    const SpeciesSample even = species_sample(8, 4 * 2 * 2, 4, {2, 2});  // 2 2 2 2
    EXPECT_NEAR(even.density, 2.0, 1e-12);
    EXPECT_NEAR(even.log2_density, 1.0, 1e-6);
    EXPECT_NEAR(even.lloyd, 0.5, 1e-12) << "no variance: below 1, regular";
    EXPECT_EQ(even.sd, 0.0);
    const SpeciesSample clumped = species_sample(8, 64, 4, {4, 0});  // 8 0 0 0
    EXPECT_NEAR(clumped.lloyd, 3.5, 1e-12);  // m* = 2 + 12/2 - 1 = 7, over 2
    EXPECT_NEAR(clumped.sd, std::sqrt(8.0), 1e-12);
    EXPECT_NEAR(species_sample(8, 4 * 4 + 4 * 2, 4, {2, 2}).lloyd, 1.0, 1e-12) << "variance = mean: random";
    const SpeciesSample absent = species_sample(0, 0, 4, {0, 0});
    EXPECT_EQ(absent.density + absent.log2_density + absent.lloyd, 0.0);
    EXPECT_GT(absent.boundary, 0.0);
    EXPECT_EQ(species_sample(0, 0, 0, {}).boundary, 0.0);
}

TEST(HabitatScaling, ClassesUseConsecutiveNonOverlappingPairs) {
    // Differences 1 2 3 4 at ruler 1; pairs (1,3) and (3,5) give 3 and 7 at ruler 2;
    // ruler 4 has one pair only, so the classes end there.
    const ScalingAnalysis s = scale_diagonals({0, 1, 3, 6, 10}, {0, 2, 2, 4, 4});
    EXPECT_EQ(s.classes, 2);
    EXPECT_EQ(s.increments, (std::vector<std::int64_t>{1, 1, 2, 2}));
    const double variances[] = {1.25, 1.0, 4.0, 0.0}, lengths[] = {10.0, 4.0, 10.0, 4.0};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(s.variances[k], variances[k], 1e-12) << k;
        EXPECT_NEAR(s.lengths[k], lengths[k], 1e-12) << k;
    }
    EXPECT_EQ(s.points, 2);
    EXPECT_FALSE(s.variance_fit.made) << "fewer than four points";
    EXPECT_EQ(s.variance_dimension, 0.0);
    const ScalingAnalysis flat = scale_diagonals(std::vector<double>(33, 2.5), std::vector<double>(33, 2.5));
    EXPECT_EQ(flat.classes, 0);
    EXPECT_EQ(flat.length_dimension, 0.0);

    SquareArray<float> grid;
    grid.allocate(3, 0.0f);
    for (int x = 1; x <= 3; ++x)
        for (int y = 1; y <= 3; ++y) grid.at(x, y) = static_cast<float>(10 * x + y);
    const DiagonalProfiles d = diagonal_profiles(grid);
    EXPECT_EQ(d.first, (std::vector<double>{11, 22, 33}));
    EXPECT_EQ(d.second, (std::vector<double>{13, 22, 31}));
}

TEST(HabitatScaling, BrownianProfileHasDimensionOneAndAHalf) {
    // A random walk: the variance of increments grows with the ruler (slope 1,
    // D = 2 - 1/2) and the surface length falls as ruler^-1/2 (D = 1 + 1/2).
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
    for (std::size_t i = 1; i <= static_cast<std::size_t>(L); ++i) {
        a[i] = a[i - 1] + gauss();
        b[i] = b[i - 1] + gauss();
    }
    const ScalingAnalysis s = scale_diagonals(a, b);
    EXPECT_EQ(s.classes, 16);
    ASSERT_TRUE(s.variance_fit.made && s.length_fit.made);
    EXPECT_GE(s.points, 8);
    EXPECT_NEAR(s.variance_dimension, 1.5, 0.12);
    EXPECT_NEAR(s.length_dimension, 1.5, 0.12);
}

}  // namespace
}  // namespace lorvenna
