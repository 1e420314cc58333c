#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "driver/program_end.hpp"
#include "landscape/habitat_grid.hpp"
#include "landscape/landscape_fixture.hpp"
#include "landscape/niches.hpp"
#include "placement/placement.hpp"

namespace lorvenna {
namespace {

using testing::Session;

std::int64_t individuals(const WorkArea& wa) {
    return std::accumulate(wa.cell_counts.cells.begin(), wa.cell_counts.cells.end(), std::int64_t{0});
}

// Niche table, grid and counts of the model, as the pass prepares them.
void prepare(Session& s) {
    fill_niche_table(s.wa);
    prepare_placement(s.wa);
    build_habitat_grid(s.wa);
}

int warnings(const Session& s) {
    const auto lines = s.console_lines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [](const std::string& l) { return l.rfind(" Warning", 0) == 0; }));
}

TEST(PlacementReport, HeaderAndRowsHaveTheirFixedColumns) {
    Session s;
    s.wa.reports.distribution.open(s.wa.io);
    s.set_species({401.0f, 0.0f});
    s.wa.species[0].weight = 12.345f;
    s.wa.species[0].assigned = 399.9f;
    s.wa.species[0].undisturbed = 1234.7f;
    s.wa.species[1].number = 17.0f;
    write_placement_header(s.wa);
    write_placement_rows(s.wa);
    s.wa.reports.distribution.close();
    const auto lines = s.file_lines("Distribution.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "SpeNo          Weight         OrigInd          AssInd  Density boundary");
    EXPECT_EQ(lines[1], "    1           12.35             401             399             1234");
    EXPECT_EQ(lines[2], "   17            1.00               0               0                0");
}

TEST(PlacementShuffle, DrawsFromTheWholeRangeAndLeavesTheSampleColumn) {
    Session s;
    s.set_species({10.0f, 20.0f, 30.0f});
    for (std::size_t i = 0; i < 3; ++i) s.wa.species[i].sample_column = static_cast<float>(100 + i);
    // From seed 0 the draws are 0, 269 / 2^24 and 1857924 / 2^24: k = 1, 1, 1.
    s.wa.random.reseed(0u);
    shuffle_species(s.wa);
    const float numbers[] = {3.0f, 1.0f, 2.0f};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.wa.species[i].number, numbers[i]);
        EXPECT_EQ(s.wa.species[i].abundance, 10.0f * numbers[i]) << "the row moves as a whole";
        EXPECT_EQ(s.wa.species[i].sample_column, static_cast<float>(100 + i));
    }
    EXPECT_EQ(s.wa.random.uniform_draws(), 3u);
}

TEST(PlacementClumps, NoIndividualsMeansNoDrawsAndNoWarning) {
    Session s;
    s.set_species({0.0f});
    prepare(s);
    s.wa.random.reseed(9u);
    place_species(s.wa, 1);
    EXPECT_EQ(s.wa.species[0].assigned, 0.0f);
    EXPECT_EQ(individuals(s.wa), 0);
    EXPECT_EQ(s.wa.random.seed(), 9u);
    EXPECT_EQ(warnings(s), 0);
}

TEST(PlacementClumps, PoissonPlacingPutsOneIndividualPerStep) {
    Session s;
    s.set_species({10.0f});
    s.wa.params.Aggr = 0.0f;
    s.wa.derived.heterogeneity = 0.3f;
    prepare(s);
    std::fill(s.wa.habitat.cells.begin(), s.wa.habitat.cells.end(), 1.6f);  // c * grid = 0.48 rounds to 0
    place_species(s.wa, 1);
    EXPECT_EQ(s.wa.random.uniform_draws(), 20u) << "ten steps of an x and a y draw";
    EXPECT_EQ(individuals(s.wa), 10);
    EXPECT_EQ(s.wa.species[0].assigned, 10.0f);
}

TEST(PlacementClumps, LastClumpIsCutToTheExpectedAbundance) {
    Session s;
    s.set_species({10.0f});
    s.wa.params.Areal = 1;
    s.wa.params.Aggr = 4.0f;  // c = 0: clumps of 4, then 4, then the remaining 2
    prepare(s);
    place_species(s.wa, 1);
    EXPECT_EQ(s.wa.cell_counts.at(1, 1), 10);
    EXPECT_EQ(s.wa.species[0].assigned, 10.0f);
    EXPECT_EQ(s.wa.random.uniform_draws(), 6u);
}

TEST(PlacementClumps, HabitatAddsItsShareAndHugeClumpsDoNotOverflow) {
    Session s;
    s.set_species({50.0f, 7.0f});
    s.wa.params.Areal = 2;
    s.wa.params.Aggr = 1.0f;
    s.wa.derived.heterogeneity = 1.0f;  // k1 = 2, k2 = grid value
    prepare(s);
    std::fill(s.wa.habitat.cells.begin(), s.wa.habitat.cells.end(), 3.0f);
    place_species(s.wa, 1);
    // Clumps of 5: ten steps, 20 draws.
    EXPECT_EQ(s.wa.random.uniform_draws(), 20u);
    EXPECT_EQ(individuals(s.wa), 50);
    for (int v : s.wa.cell_counts.cells) EXPECT_EQ(v % 5, 0);

    s.wa.params.Aggr = 1.0e30f;  // a clump far beyond any integer: one step places all
    place_species(s.wa, 2);
    EXPECT_EQ(individuals(s.wa), 7);
    EXPECT_EQ(s.wa.species[1].assigned, 7.0f);
}

TEST(PlacementClumps, RelativeDensitiesDivideByTheRarestSpecies) {
    Session s;
    s.set_species({7.5f, 7.4f});
    s.wa.params.maxD = 0.0f;
    s.wa.derived.smallest_abundance = 2.5f;
    prepare(s);
    place_species(s.wa, 1);
    place_species(s.wa, 2);
    EXPECT_EQ(s.wa.species[0].abundance, 3.0f);
    EXPECT_EQ(s.wa.species[1].abundance, 2.0f);
    EXPECT_EQ(s.wa.species[1].assigned, 2.0f);
}

TEST(PlacementNiches, FullCellIsRefusedForTheSpeciesAfterAndCountsItAllTheSame) {
    Session s;
    s.set_species({40.0f, 40.0f, 40.0f});
    s.wa.params.Areal = 2;
    s.wa.params.NicheNo = 5.0f;
    s.wa.derived.niche_level = 5.0f;
    prepare(s);
    s.wa.niche_table.niches.at(1, 1) = 1;  // one species only in (1, 1)
    place_species(s.wa, 1);
    EXPECT_GT(s.wa.cell_counts.at(1, 1), 0) << "the first species takes the single niche";
    place_species(s.wa, 2);
    EXPECT_EQ(s.wa.cell_counts.at(1, 1), 0) << "the cell is full for the second species";
    EXPECT_EQ(individuals(s.wa), 40);
    EXPECT_EQ(s.wa.niche_table.species_count.at(1, 1), 2) << "counted although refused";
    EXPECT_EQ(s.wa.niche_table.species_count.at(2, 2), 2);
    place_species(s.wa, 3);
    EXPECT_EQ(s.wa.cell_counts.at(1, 1), 0);
    EXPECT_EQ(s.wa.niche_table.species_count.at(1, 1), 3);
    EXPECT_EQ(warnings(s), 0);
}

TEST(PlacementNiches, SaturatedGridEndsTheSpeciesWithAShortfall) {
    Session s;
    s.set_species({5.0f, 5.0f, 0.0f});
    s.wa.params.Areal = 1;
    s.wa.params.NicheNo = 1.0f;
    s.wa.derived.niche_level = 1.0f;
    prepare(s);
    s.wa.niche_table.niches.at(1, 1) = 1;
    place_species(s.wa, 1);
    EXPECT_EQ(s.wa.species[0].assigned, 5.0f);
    place_species(s.wa, 2);
    EXPECT_EQ(s.wa.species[1].assigned, 0.0f);
    EXPECT_EQ(s.wa.cell_counts.at(1, 1), 0);
    EXPECT_EQ(warnings(s), 1);
    EXPECT_LT(s.wa.random.uniform_draws(), 100'000u) << "given up soon after the cell filled";
    place_species(s.wa, 3);
    EXPECT_EQ(warnings(s), 1) << "nothing to place: no warning";
}

TEST(PlacementNiches, ManySpeciesWithNarrowRangesFinishWithShortfalls) {
    Session s;
    std::vector<float> abundances(100, 400.0f);
    s.set_species(abundances);
    s.wa.params.Areal = 17;
    s.wa.params.SampA = 10;
    s.wa.params.Range = 0.3f;
    s.wa.params.NicheNo = 1.0f;
    s.wa.derived.niche_level = 1.0f;
    s.wa.derived.niche_phase = 0.61f;
    s.wa.answers.batch = keyword("yes");
    s.wa.random.reseed(12345u);
    prepare(s);
    int short_species = 0;
    for (int sp = 1; sp <= 100; ++sp) {
        place_species(s.wa, sp);
        const SpeciesRow& row = s.wa.species[static_cast<std::size_t>(sp - 1)];
        EXPECT_EQ(individuals(s.wa), static_cast<std::int64_t>(row.assigned)) << "species " << sp;
        EXPECT_LE(row.assigned, row.abundance);
        if (row.assigned < row.abundance) ++short_species;
    }
    EXPECT_GT(short_species, 0);
    EXPECT_EQ(warnings(s), short_species) << "one warning per species given up";
    EXPECT_EQ(s.console().find("Species number"), std::string::npos) << "no progress lines in a batch run";
}

TEST(PlacementRanges, CentreOutsideTheReachOfTheGridIsGivenUpAtOnce) {
    Session s;
    s.set_species(std::vector<float>(20, 30.0f));
    s.wa.params.Areal = 9;
    s.wa.params.Range = 0.3f;
    s.wa.params.HabGrad = 1.0e6f;  // centres scattered far beyond the grid
    s.wa.random.reseed(77u);
    prepare(s);
    int lost = 0;
    for (int sp = 1; sp <= 20; ++sp) {
        place_species(s.wa, sp);
        const SpeciesRow& row = s.wa.species[static_cast<std::size_t>(sp - 1)];
        EXPECT_LE(s.wa.range_x, 9.0f);
        EXPECT_LE(s.wa.range_y, 9.0f);
        if (s.wa.range_x < -10.0f || s.wa.range_y < -10.0f) {
            ++lost;
            EXPECT_EQ(row.assigned, 0.0f);
        }
    }
    EXPECT_GT(lost, 0);
    EXPECT_EQ(warnings(s), lost);
    EXPECT_LT(s.wa.random.uniform_draws(), 1'000'000u);
}

TEST(PlacementRanges, GradientCentresLieAlongTheDiagonal) {
    Session s;
    s.set_species({0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    s.wa.params.Areal = 10;
    s.wa.params.Range = 1.0f;
    s.wa.params.HabGrad = 0.001f;
    prepare(s);
    place_species(s.wa, 2);  // (2 * 2 - 1) / (2 * 5) of the side
    EXPECT_NEAR(s.wa.range_x, 3.0f, 0.01f);
    EXPECT_NEAR(s.wa.range_y, 3.0f, 0.01f);
    place_species(s.wa, 5);
    EXPECT_NEAR(s.wa.range_x, 9.0f, 0.01f);
}

TEST(PlacementRanges, IndividualsStayInsideTheGridAndAddUp) {
    Session s;
    s.set_species({500.0f, 300.0f, 200.0f});
    s.wa.params.Areal = 17;
    s.wa.params.Range = 2.0f;
    s.wa.params.Aggr = 2.0f;
    s.wa.params.Fractal = keyword("rmd");
    s.wa.params.Scale1 = 0.5f;
    s.wa.derived.heterogeneity = 0.8f;
    s.wa.random.reseed(2468u);
    prepare(s);
    for (int sp = 1; sp <= 3; ++sp) {
        place_species(s.wa, sp);
        EXPECT_EQ(individuals(s.wa), static_cast<std::int64_t>(s.wa.species[static_cast<std::size_t>(sp - 1)].abundance));
        EXPECT_EQ(s.wa.species[static_cast<std::size_t>(sp - 1)].assigned,
                  s.wa.species[static_cast<std::size_t>(sp - 1)].abundance);
        // Uniform centres: every individual lies within the reach of the centre.
        for (int x = 1; x <= 17; ++x)
            for (int y = 1; y <= 17; ++y)
                if (s.wa.cell_counts.at(x, y) > 0) {
                    EXPECT_LE(std::fabs(x - s.wa.range_x), 2.0f * 6.44f + 0.5f);
                    EXPECT_LE(std::fabs(y - s.wa.range_y), 2.0f * 6.44f + 0.5f);
                }
    }
}

TEST(PlacementOrder, GridRebuildComesBeforeTheNewFactor) {
    Session s;
    s.set_species({0.0f});
    s.wa.params.Areal = 3;
    s.wa.params.Fractal = keyword("rmd");
    s.wa.params.GridHet = keyword("rnd");
    s.wa.params.RndHet = keyword("rnd");
    prepare(s);
    s.wa.random.reseed(55u);
    RandomStream r(55u);
    for (int k = 0; k < 5; ++k) r.normal();  // the five square centres of a 3 x 3 grid
    const float c = static_cast<float>(r.normal());
    place_species(s.wa, 1);
    EXPECT_EQ(s.wa.derived.heterogeneity, c);
    EXPECT_EQ(s.wa.random.seed(), r.seed());
    EXPECT_EQ(s.console_lines().back(), " Species number: 1");
}

TEST(PlacementLimits, AbundanceBeyondWhatCellsCanCountEndsTheRun) {
    Session s;
    s.set_species({3.0e9f});
    s.wa.params.Areal = 1;
    prepare(s);
    try {
        place_species(s.wa, 1);
        FAIL() << "no end of the program";
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.status, exit_error);
        EXPECT_NE(end.message.find("Too many individuals"), std::string::npos) << end.message;
    }
}

TEST(PlacementSampledSquare, OffsetIsDrawnOncePerModel) {
    Session s;
    s.wa.params.Areal = 17;
    s.wa.params.SampA = 10;
    s.wa.random.reseed(3u);
    RandomStream r(3u);
    const auto expected = static_cast<std::int64_t>(r.uniform() * 7.0);
    draw_sampled_square(s.wa);
    EXPECT_TRUE(s.wa.offset_drawn);
    EXPECT_EQ(s.wa.offset, expected);
    draw_sampled_square(s.wa);
    EXPECT_EQ(s.wa.random.uniform_draws(), 1u) << "later species draw no offset";
    EXPECT_EQ(s.wa.offset, expected);
    prepare_placement(s.wa);  // a new model draws again
    EXPECT_FALSE(s.wa.offset_drawn);

    s.wa.params.SampA = 17;  // the square covers the grid: the draw is taken, the offset is 0
    draw_sampled_square(s.wa);
    EXPECT_EQ(s.wa.offset, 0);
    EXPECT_EQ(s.wa.random.uniform_draws(), 2u);
}

TEST(PlacementMap, ChosenSpeciesWritesItsSquareAndClosesTheFile) {
    Session s;
    s.set_species({0.0f, 0.0f, 0.0f});
    s.wa.params.Areal = 4;
    s.wa.params.SampA = 2;
    s.wa.answers.map_species = 3.0f;
    s.wa.reports.map.open(s.wa.io);
    prepare(s);
    s.wa.offset = 1;
    s.wa.cell_counts.at(2, 2) = 7;
    s.wa.cell_counts.at(2, 3) = 12345;
    s.wa.cell_counts.at(3, 2) = 0;
    s.wa.cell_counts.at(3, 3) = 4;
    s.wa.cell_counts.at(1, 1) = 99;  // outside the sampled square
    s.wa.range_x = 5.4f;
    s.wa.range_y = 12.5f;
    write_species_map(s.wa, 1);
    EXPECT_TRUE(s.wa.reports.map.is_open()) << "species 1 is not the chosen one";
    write_species_map(s.wa, 3);
    EXPECT_FALSE(s.wa.reports.map.is_open());
    const auto lines = s.file_lines("Map.txt");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Species number:     3   Centre of range: x  5. y:  13.");
    EXPECT_EQ(lines[1], "x-Coord. y-Coord.    Indiv");
    EXPECT_EQ(lines[2], "       1        1        7");
    EXPECT_EQ(lines[3], "       1        2    12345");
    EXPECT_EQ(lines[4], "       2        1        0");
    EXPECT_EQ(lines[5], "       2        2        4");
}

TEST(PlacementMap, CentreShowsTheNearestWholeNumberWithItsPoint) {
    EXPECT_EQ(centre_field(5.4f), "  5.");
    EXPECT_EQ(centre_field(0.5f), "  1.");
    EXPECT_EQ(centre_field(-3.7f), " -4.");
    EXPECT_EQ(centre_field(-0.2f), " -0.");
    EXPECT_EQ(centre_field(999.0f), "999.");
    EXPECT_EQ(centre_field(1000.0f), "****");
    EXPECT_EQ(centre_field(-123.0f), "****");
}

}  // namespace
}  // namespace lorvenna

namespace lorvenna {
namespace {

// Places species 1..3 of a small model with the given niche level, clearing
// the list of reached cells before each species when `forget` is set, so that
// every reset sweeps the whole grid.  Returns the counts after each species.
std::vector<std::vector<std::int32_t>> counts_after_each_species(bool forget, float niches, float range) {
    Session s;
    s.set_species({400.0f, 35.0f, 900.0f});
    s.wa.params.Areal = 23;
    s.wa.params.Aggr = 1.5f;
    s.wa.params.NicheNo = niches;
    s.wa.params.Range = range;
    s.wa.derived.niche_level = niches;
    s.wa.derived.niche_phase = 0.4f;
    s.wa.derived.heterogeneity = 0.7f;
    prepare(s);
    for (std::size_t i = 0; i < s.wa.habitat.cells.size(); ++i)
        s.wa.habitat.cells[i] = static_cast<float>(i % 7) * 0.9f - 1.5f;
    s.wa.random.reseed(31337u);
    std::vector<std::vector<std::int32_t>> after;
    for (int sp = 1; sp <= 3; ++sp) {
        if (forget) s.wa.reached.clear();
        place_species(s.wa, sp);
        after.push_back(s.wa.cell_counts.cells);
        // The list names every cell the species occupies, each once.
        if (s.wa.reached.complete) {
            std::vector<std::uint32_t> listed(s.wa.reached.cells.get(), s.wa.reached.cells.get() + s.wa.reached.count);
            std::sort(listed.begin(), listed.end());
            EXPECT_EQ(std::adjacent_find(listed.begin(), listed.end()), listed.end()) << "species " << sp;
            for (std::size_t c = 0; c < s.wa.cell_counts.cells.size(); ++c) {
                if (s.wa.cell_counts.cells[c] != 0) {
                    EXPECT_TRUE(std::binary_search(listed.begin(), listed.end(), static_cast<std::uint32_t>(c)))
                        << "species " << sp << " cell " << c;
                }
            }
        }
    }
    return after;
}

TEST(PlacementReset, ResettingTheReachedCellsEqualsClearingTheGrid) {
    for (const float niches : {0.0f, 2.0f})
        for (const float range : {0.0f, 4.0f}) {
            const auto listed = counts_after_each_species(false, niches, range);
            const auto swept = counts_after_each_species(true, niches, range);
            EXPECT_EQ(listed, swept) << "niches " << niches << " range " << range;
            // The species leave different patterns, so a stale count would show.
            EXPECT_NE(listed[0], listed[1]);
        }
}

}  // namespace
}  // namespace lorvenna
