#include "statistics/area_relations.hpp"

#include <gtest/gtest.h>

#include "support/session_runner.hpp"

#include <cmath>
#include <sstream>

using namespace lorvenna;
using lorvenna::testing::tokens;

namespace {

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

}  // namespace

TEST(SpeciesArea, FitsRecoverKnownPowerAndSemiLogCurves) {
    std::vector<double> area{1, 2, 4, 8, 16}, power, semi_log, endemics;
    for (const double a : area) {
        power.push_back(3.0 * std::pow(a, 0.25));
        endemics.push_back(0.5 * std::pow(a, 0.8));
    }
    SpeciesAreaFits f = fit_species_area(area, power, endemics);
    EXPECT_NEAR(f.power_c, 3.0, 1e-9);
    EXPECT_NEAR(f.power_z, 0.25, 1e-9);
    EXPECT_NEAR(f.power_explained, 1.0, 1e-9);
    EXPECT_NEAR(f.ear_c, 0.5, 1e-9);
    EXPECT_NEAR(f.ear_z, 0.8, 1e-9);
    EXPECT_NEAR(f.ear_explained, 1.0, 1e-9);

    for (const double a : area) semi_log.push_back(2.0 + 5.0 * std::log(a));
    f = fit_species_area(area, semi_log, endemics);
    EXPECT_NEAR(f.exp_a, 2.0, 1e-9);
    EXPECT_NEAR(f.exp_b, 5.0, 1e-9);
    EXPECT_NEAR(f.exp_explained, 1.0, 1e-9);
}

TEST(SpeciesArea, AreasOfOneOnlyGiveARowOfZeros) {
    const SpeciesAreaFits f = fit_species_area({1, 1, 1}, {3, 5, 4}, {1, 2, 1});
    for (const double v : {f.power_c, f.power_z, f.power_explained, f.exp_a, f.exp_b, f.exp_explained,
                           f.ear_c, f.ear_z, f.ear_explained})
        EXPECT_EQ(v, 0.0);
    // One equal area repeated (a pass of one unit area) fits nothing either.
    const SpeciesAreaFits g = fit_species_area({9, 9}, {3, 5}, {1, 2});
    EXPECT_EQ(g.power_z, 0.0);
    EXPECT_EQ(g.exp_b, 0.0);
}

TEST(SpeciesArea, ASizeWithoutSpeciesIsLeftOutWithAllSmallerSizes) {
    // Sizes 1 and 2 would spoil the line S = A; size 2 has no species.
    const std::vector<double> area{1, 2, 4, 8, 16}, species{5, 0, 4, 8, 16};
    EXPECT_EQ(first_size_with_species(species), 2u);
    const SpeciesAreaFits f = fit_species_area(area, species, {0, 0, 0, 0, 0});
    EXPECT_NEAR(f.power_c, 1.0, 1e-9);
    EXPECT_NEAR(f.power_z, 1.0, 1e-9);
    EXPECT_EQ(f.ear_c, 0.0);  // no endemics: no endemics-area curve
    // Endemics start at the same size; a size without endemics is skipped alone.
    const SpeciesAreaFits g = fit_species_area(area, species, {7, 7, 2, 0, 8});
    EXPECT_NEAR(g.ear_z, 1.0, 1e-9);
    EXPECT_NEAR(g.ear_c, 0.5, 1e-9);
}

TEST(SpeciesArea, FirstUnitCreditFollowsTheUnitOrder) {
    const Table t{{0, 3, 1, 0}, {2, 0, 0, 0}, {0, 0, 0, 5}, {0, 0, 0, 0}};
    std::vector<double> credited(3, 0.0);
    credit_first_units(t.view(), 3, {0, 1, 2, 3}, credited);
    EXPECT_EQ(credited, (std::vector<double>{1, 1, 0}));  // species 3 lies beyond the 3 units
    std::vector<double> reordered(4, 0.0);
    credit_first_units(t.view(), 4, {2, 3, 1, 0}, reordered);
    EXPECT_EQ(reordered, (std::vector<double>{1, 1, 0, 1}));
}

TEST(SpeciesArea, TalliesOfIndependentUnits) {
    // Units of 1, 4, 9 cells; species 1 in all, species 2 in unit 2, species 3 in units 1 and 3.
    const Table t{{1, 4, 2}, {0, 6, 0}, {3, 0, 1}};
    const std::vector<std::int64_t> area{1, 4, 9}, niches{2, 5, 11};
    const std::vector<double> credited{2, 1, 0};
    const SpeciesAreaRows r =
        species_area_rows(Design::independent, t.view(), area, niches, 3, {0, 1, 2}, credited, 5);
    EXPECT_EQ(r.area, area);
    EXPECT_EQ(r.niches, niches);
    EXPECT_EQ(r.occupancy, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(r.endemics, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(r.cumulative, (std::vector<double>{2, 3, 3}));
    EXPECT_EQ(r.species_sampled, 3);
    EXPECT_NEAR(r.species_per_unit, (2 + 2 + 2) / 3.0, 1e-12);
    EXPECT_NEAR(r.relative_density, 2.0 / 5.0, 1e-12);
    // (1 - 1/3)^3 + (1 - 2/3)^3 + (1 - 3/3)^3
    EXPECT_NEAR(r.bootstrap, 8.0 / 27.0 + 1.0 / 27.0, 1e-12);
    EXPECT_EQ(r.singles, 1);
    EXPECT_EQ(r.doubles, 1);
    // Each unit's species against its own area: 2, 2, 2 species -> flat power curve.
    EXPECT_NEAR(r.fits.power_z, 0.0, 1e-12);
    EXPECT_NEAR(r.fits.power_c, 2.0, 1e-12);
}

TEST(SpeciesArea, EqualUnitsAccumulateInTheirOrder) {
    // "dep": four units of 4 cells, cumulative niches 3, 5, 9, 10 (own niches 3, 2, 4, 1).
    const Table t{{1, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 0, 7}, {1, 1, 1, 1}};
    const std::vector<std::int64_t> area{4, 4, 4, 4}, niches{3, 5, 9, 10};
    const std::vector<int> order{2, 0, 1, 3};
    std::vector<double> credited(4, 0.0);
    credit_first_units(t.view(), 4, order, credited);
    EXPECT_EQ(credited, (std::vector<double>{1, 1, 1, 1}));
    const SpeciesAreaRows r =
        species_area_rows(Design::random_dependent, t.view(), area, niches, 4, order, credited, 4);
    EXPECT_EQ(r.area, (std::vector<std::int64_t>{4, 8, 12, 16}));
    EXPECT_EQ(r.niches, (std::vector<std::int64_t>{4, 7, 9, 10}));
    EXPECT_EQ(r.endemics, (std::vector<int>{0, 1, 1, 1}));  // in scan order
    EXPECT_EQ(r.cumulative, (std::vector<double>{1, 2, 3, 4}));
    // Species accumulate linearly with the area: S = A / 4 from the first unit on.
    EXPECT_NEAR(r.fits.power_z, 1.0, 1e-12);
    EXPECT_NEAR(r.fits.power_c, 0.25, 1e-12);
    // Endemics 0, 1, 2, 3 over 4, 8, 12, 16 cells: the first size has none and is skipped.
    EXPECT_GT(r.fits.ear_z, 0.0);
}

TEST(SpeciesArea, AnalysisRowLayout) {
    const Table t{{1, 0}, {2, 3}};
    const SpeciesAreaRows r =
        species_area_rows(Design::nested, t.view(), {1, 4}, {1, 4}, 2, {0, 1}, {2, 0}, 3);
    const auto lines = analysis_lines(r);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "     1      4 ");
    EXPECT_EQ(lines[2], "     1      1 ");       // one species in one unit, one in two
    EXPECT_EQ(lines[3], "   2.0    0.0 ");
    EXPECT_EQ(lines[4], "     1      0 ");
    EXPECT_EQ(lines[5], "   2.0    2.0 ");
    EXPECT_EQ(lines[6], "     3    1.5      2 0.5000    0.2      2      1      1");
    EXPECT_EQ(lines[7].size(), 9u * 11u);
    EXPECT_EQ(tokens(lines[7]).size(), 9u);
}
