// Placing the individuals of each species: exactly OrigInd of them when there
// is room, never beyond the niches of a cell, within the reach of a range,
// and a species given up when no room is left, without hanging.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <string>
#include <numeric>

#include "landscape/habitat_grid.hpp"
#include "landscape/niches.hpp"
#include "numerics/rounding.hpp"
#include "placement/placement.hpp"
#include "placement/placing_loop.hpp"
#include "placement/saturation.hpp"
#include "reports/map_report.hpp"
#include "support/work_bench.hpp"

namespace lorvenna {
namespace {

using testing::ends;

struct Placement : testing::WorkBench {
    ReachedCells reached;
    explicit Placement(std::vector<float> abundances, int side = 5) {
        session.answers.mode = keyword("s");
        grid(side);
        set_species(abundances);
        ParameterSet& p = pass.params;
        p.SampA = std::min(side, 3);
        p.maxD = 1.0f;
        p.Fractal = keyword("none");
        p.GridHet = p.RndHet = keyword("fix");
        p.Scale2 = 1.0f;
    }
    // Niche table, grid and counts of the model, as the pass prepares them.
    void prepare() {
        fill_niche_table(pass.grids.niche_table, pass.derived);
        prepare_placement(pass.grids, pass.derived.grid_side);
        build_habitat_grid(pass.grids.habitat, pass.params, pass.derived, pass.random);
    }
    PlacementOutcome place(int sp) { return WorkBench::place(sp, reached); }
    std::int64_t individuals() const {
        return std::accumulate(pass.grids.cell_counts.cells.begin(), pass.grids.cell_counts.cells.end(), std::int64_t{0});
    }
    void niches(float level) {
        pass.params.NicheNo = 2.0f * level;
        pass.derived.niche_level = level;
    }
};

TEST(Placement, ShuffleDrawsFromTheWholeTableAndLeavesTheSampleColumn) {
    Placement s({10.0f, 20.0f, 30.0f});
    for (std::size_t i = 0; i < 3; ++i) s.pass.community.species[i].sample_column = static_cast<float>(100 + i);
    // From seed 0 the draws are 0, 269 / 2^24 and 1857924 / 2^24: k = 1, 1, 1.
    s.pass.random.reseed(0u);
    shuffle_species(s.pass.community.species, s.pass.random);
    const float numbers[] = {3.0f, 1.0f, 2.0f};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.pass.community.species[i].number, numbers[i]);
        EXPECT_EQ(s.pass.community.species[i].abundance, 10.0f * numbers[i]) << "the row moves as a whole";
        EXPECT_EQ(s.pass.community.species[i].sample_column, static_cast<float>(100 + i));
    }
    EXPECT_EQ(s.pass.random.uniform_draws(), 3u);
}

TEST(Placement, ClumpsOfTheAggregationAndTheHabitatPlaceExactlyOrigInd) {
    Placement none({0.0f});  // nothing to place: no draws
    none.prepare();
    none.pass.random.reseed(9u);
    EXPECT_FALSE(none.place(1).shortfall != Shortfall::none);
    EXPECT_EQ(none.individuals(), 0);
    EXPECT_EQ(none.pass.random.seed(), 9u);

    Placement poisson({10.0f});
    poisson.pass.derived.heterogeneity = 0.3f;
    poisson.prepare();
    std::fill(poisson.pass.grids.habitat.cells.begin(), poisson.pass.grids.habitat.cells.end(), 1.6f);  // c * 1.6 rounds to 0
    poisson.place(1);
    EXPECT_EQ(poisson.pass.random.uniform_draws(), 20u) << "ten steps of an x and a y draw";
    EXPECT_EQ(poisson.individuals(), 10);
    EXPECT_EQ(poisson.pass.community.species[0].assigned, 10.0f);

    Placement cut({10.0f}, 1);
    cut.pass.params.Aggr = 4.0f;  // c = 0: clumps of 4, then 4, then the remaining 2
    cut.prepare();
    const PlacementOutcome whole = cut.place(1);
    EXPECT_EQ(cut.pass.grids.cell_counts.at(1, 1), 10);
    EXPECT_FALSE(whole.shortfall != Shortfall::none);
    EXPECT_EQ(whole.target, 10);
    EXPECT_EQ(cut.pass.random.uniform_draws(), 6u);

    Placement habitat({50.0f, 7.0f}, 2);
    habitat.pass.params.Aggr = 1.0f;
    habitat.pass.derived.heterogeneity = 1.0f;  // k1 = 2, k2 = the grid value
    habitat.prepare();
    std::fill(habitat.pass.grids.habitat.cells.begin(), habitat.pass.grids.habitat.cells.end(), 3.0f);
    habitat.place(1);
    EXPECT_EQ(habitat.pass.random.uniform_draws(), 20u) << "clumps of 5: ten steps";
    EXPECT_EQ(habitat.individuals(), 50);
    for (int v : habitat.pass.grids.cell_counts.cells) EXPECT_EQ(v % 5, 0);
    habitat.pass.params.Aggr = 1.0e30f;  // a clump far beyond any integer: one step places all
    habitat.place(2);
    EXPECT_EQ(habitat.individuals(), 7);
    EXPECT_EQ(habitat.pass.community.species[1].assigned, 7.0f);
}

TEST(Placement, RelativeDensitiesDivideByTheRarestSpecies) {
    Placement s({7.5f, 7.4f});
    s.pass.params.maxD = 0.0f;
    s.pass.derived.smallest_abundance = 2.5f;
    s.prepare();
    s.place(1);
    s.place(2);
    EXPECT_EQ(s.pass.community.species[0].abundance, 3.0f);
    EXPECT_EQ(s.pass.community.species[1].abundance, 2.0f);
    EXPECT_EQ(s.pass.community.species[1].assigned, 2.0f);
}

TEST(Placement, FullCellIsRefusedToTheSpeciesAfterAndCountsItAllTheSame) {
    Placement s({40.0f, 40.0f, 40.0f}, 2);
    s.niches(5.0f);
    s.prepare();
    s.pass.grids.niche_table.niches.at(1, 1) = 1;  // one species only in (1, 1)
    s.place(1);
    EXPECT_GT(s.pass.grids.cell_counts.at(1, 1), 0) << "the first species takes the single niche";
    EXPECT_FALSE(s.place(2).shortfall != Shortfall::none);
    EXPECT_EQ(s.pass.grids.cell_counts.at(1, 1), 0) << "the cell is full for the second species";
    EXPECT_EQ(s.individuals(), 40);
    EXPECT_EQ(s.pass.grids.niche_table.species_count.at(1, 1), 2) << "counted although refused";
    EXPECT_EQ(s.pass.grids.niche_table.species_count.at(2, 2), 2);
}

TEST(Placement, SaturatedGridGivesTheSpeciesUpSoon) {
    Placement s({5.0f, 5.0f, 0.0f}, 1);
    s.niches(1.0f);
    s.prepare();
    s.pass.grids.niche_table.niches.at(1, 1) = 1;
    EXPECT_FALSE(s.place(1).shortfall != Shortfall::none);
    const PlacementOutcome second = s.place(2);
    EXPECT_EQ(second.shortfall, Shortfall::cells_full);
    EXPECT_EQ(second.placed, 0);
    EXPECT_EQ(second.target, 5);
    EXPECT_EQ(s.pass.community.species[1].assigned, 0.0f);
    EXPECT_EQ(s.pass.grids.cell_counts.at(1, 1), 0);
    EXPECT_LT(s.pass.random.uniform_draws(), 100'000u) << "given up soon after the cell filled";
    EXPECT_FALSE(s.place(3).shortfall != Shortfall::none) << "nothing to place, nothing given up";
}

TEST(Placement, ManySpeciesWithNarrowRangesNeverExceedTheNichesOfACell) {
    Placement s(std::vector<float>(100, 400.0f), 17);
    s.pass.params.SampA = 10;
    s.pass.params.Range = 0.3f;
    s.niches(1.0f);
    s.pass.derived.niche_phase = 0.61f;
    s.prepare();
    std::vector<int> occupied(s.pass.grids.cell_counts.cells.size(), 0);
    int short_species = 0;
    for (int sp = 1; sp <= 100; ++sp) {
        const PlacementOutcome o = s.place(sp);
        const SpeciesRow& row = s.pass.community.species[static_cast<std::size_t>(sp - 1)];
        EXPECT_EQ(s.individuals(), static_cast<std::int64_t>(row.assigned)) << "species " << sp;
        EXPECT_EQ(o.shortfall != Shortfall::none, row.assigned < row.abundance) << "species " << sp;
        if (o.shortfall != Shortfall::none) {
            ++short_species;
            EXPECT_EQ(o.placed, static_cast<std::int64_t>(row.assigned));
        }
        for (std::size_t c = 0; c < occupied.size(); ++c)
            if (s.pass.grids.cell_counts.cells[c] > 0) {
                EXPECT_LE(++occupied[c], s.pass.grids.niche_table.niches.cells[c]) << "species " << sp << " cell " << c;
            }
    }
    EXPECT_GT(short_species, 0);
    EXPECT_LT(short_species, 100);
}

TEST(Placement, CentresOutsideTheReachOfTheGridAreGivenUpAtOnce) {
    Placement s(std::vector<float>(20, 30.0f), 9);
    s.pass.params.Range = 0.3f;
    s.pass.params.HabGrad = 1.0e6f;  // centres scattered far beyond the grid
    s.pass.random.reseed(77u);
    s.prepare();
    int lost = 0;
    for (int sp = 1; sp <= 20; ++sp) {
        const PlacementOutcome o = s.place(sp);
        EXPECT_LE(s.pass.centre.x, 9.0f);
        EXPECT_LE(s.pass.centre.y, 9.0f);
        if (s.pass.centre.x < -10.0f || s.pass.centre.y < -10.0f) {
            ++lost;
            EXPECT_EQ(o.shortfall, Shortfall::range_off_grid) << "species " << sp;
            EXPECT_EQ(o.placed, 0);
        }
    }
    EXPECT_GT(lost, 0);
    EXPECT_LT(s.pass.random.uniform_draws(), 1'000'000u);
}

TEST(Placement, WithoutANicheLimitNoShortfallIsBlamedOnFullCells) {
    // Centres scattered a few cells beyond the edge: their placing steps land on the grid too rarely.
    Placement s(std::vector<float>(40, 30.0f), 9);
    s.pass.params.Range = 0.3f;
    s.pass.params.HabGrad = 4.0f;
    s.pass.random.reseed(11u);
    s.prepare();
    int rarely = 0;
    for (int sp = 1; sp <= 40; ++sp) {
        const Shortfall why = s.place(sp).shortfall;
        EXPECT_NE(why, Shortfall::cells_full) << "species " << sp;
        rarely += why == Shortfall::rarely_reached ? 1 : 0;
    }
    EXPECT_GT(rarely, 0) << "the fixture must have centres just off the grid";
}

TEST(Placement, RangesKeepEveryIndividualWithinReachOfItsCentre) {
    Placement gradient({0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 10);
    gradient.pass.params.Range = 1.0f;
    gradient.pass.params.HabGrad = 0.001f;
    gradient.prepare();
    gradient.place(2);  // (2 * 2 - 1) / (2 * 5) of the side along the diagonal
    EXPECT_NEAR(gradient.pass.centre.x, 3.0f, 0.01f);
    EXPECT_NEAR(gradient.pass.centre.y, 3.0f, 0.01f);
    gradient.place(5);
    EXPECT_NEAR(gradient.pass.centre.x, 9.0f, 0.01f);

    Placement s({500.0f, 300.0f, 200.0f}, 17);
    s.pass.params.Range = 2.0f;
    s.pass.params.Aggr = 2.0f;
    s.pass.params.Fractal = keyword("rmd");
    s.pass.derived.fractal_coefficient = 0.5f;
    s.pass.derived.heterogeneity = 0.8f;
    s.pass.random.reseed(2468u);
    s.prepare();
    for (int sp = 1; sp <= 3; ++sp) {
        const SpeciesRow& row = s.pass.community.species[static_cast<std::size_t>(sp - 1)];
        EXPECT_FALSE(s.place(sp).shortfall != Shortfall::none);
        EXPECT_EQ(s.individuals(), static_cast<std::int64_t>(row.abundance));
        EXPECT_EQ(row.assigned, row.abundance);
        EXPECT_EQ(row.centre_x, s.pass.centre.x);
        const detail::Span xs = detail::reach(row.centre_x, 2.0f, 17), ys = detail::reach(row.centre_y, 2.0f, 17);
        for (int x = 1; x <= 17; ++x)
            for (int y = 1; y <= 17; ++y)
                if (s.pass.grids.cell_counts.at(x, y) > 0) {
                    EXPECT_TRUE(x >= xs.lo && x <= xs.hi && y >= ys.lo && y <= ys.hi) << x << "," << y;
                    EXPECT_LE(std::fabs(x - row.centre_x), 2.0f * 6.44f + 0.5f);
                }
    }
}

TEST(Placement, GridRebuildAndNewFactorComeBeforeTheCells) {
    Placement s({0.0f}, 3);
    s.pass.params.Fractal = keyword("rmd");
    s.pass.params.GridHet = s.pass.params.RndHet = keyword("rnd");
    s.prepare();
    s.pass.random.reseed(55u);
    RandomStream r(55u);
    for (int k = 0; k < 5; ++k) r.normal();  // the five square centres of a 3 x 3 grid
    const float c = static_cast<float>(r.normal());
    s.place(1);
    EXPECT_EQ(s.pass.derived.heterogeneity, c);
    EXPECT_EQ(s.pass.random.seed(), r.seed());
}

TEST(Placement, AbundanceBeyondWhatCellsCanCountEndsTheRun) {
    Placement s({3.0e9f}, 1);
    s.prepare();
    const auto end = ends([&] { s.place(1); });
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_EQ(end->message, " Too many individuals to place: species 1 has   3000000000 on a grid of 1 x 1 cells");

    // Clumps of 1.5e9 on four cells: the fifth clump at the latest lands on a
    // cell that holds one already, well before the last clump.
    Placement full({8.0e9f}, 2);
    full.pass.params.Aggr = 1.5e9f;
    full.prepare();
    full.pass.random.reseed(2024u);
    RandomStream r(2024u);
    std::vector<int> clumps(4, 0);
    int x = 0, y = 0;
    do {
        x = static_cast<int>(r.uniform() * 2.0) + 1;
        y = static_cast<int>(r.uniform() * 2.0) + 1;
    } while (++clumps[static_cast<std::size_t>((x - 1) * 2 + y - 1)] < 2);
    const auto overflow = ends([&] { full.place(1); });
    ASSERT_TRUE(overflow);
    EXPECT_EQ(overflow->message, " Too many individuals in one cell: species 1 would have 3000000000 in cell (" +
                                     std::to_string(x) + ", " + std::to_string(y) + "), more than 2147483647");
}

// The habitat term of a clump against its definition, nint(v) held to
// 0 .. 2^53: halves, the float just below a half, tiny, huge, infinite and
// NaN products, and a sweep through the bit patterns of the floats.
TEST(Placement, HabitatClumpIsTheNearestWholeNumberHeldToTheLargestClump) {
    auto reference = [](float v) {
        return std::clamp(nearest<std::int64_t>(static_cast<double>(v)), std::int64_t{0}, detail::largest_clump);
    };
    const float inf = std::numeric_limits<float>::infinity();
    for (const float v : {0.0f, -0.0f, 0.5f, 0.49999997f, 1.5f, 2.5f, -2.5f, 1.0e-40f, 8388607.5f, 4503599627370496.0f,
                          9007199254740992.0f, 3.0e16f, inf, -inf, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(detail::habitat_clump(v), reference(v)) << v;
    for (std::uint32_t bits = 0; bits <= 0xFF800000u - 4099u; bits += 4099u) {
        const float v = std::bit_cast<float>(bits);
        ASSERT_EQ(detail::habitat_clump(v), reference(v)) << v;
    }
}

TEST(Placement, SampledSquareIsDrawnOncePerModel) {
    Placement s({1.0f}, 17);
    s.pass.params.SampA = 10;
    s.pass.random.reseed(3u);
    RandomStream r(3u);
    const auto expected = static_cast<std::int64_t>(r.uniform() * 7.0);
    draw_sampled_square(s.pass.grids.square, s.pass.derived.grid_side, s.pass.params.SampA, s.pass.random);
    EXPECT_EQ(s.pass.grids.square.offset, expected);
    draw_sampled_square(s.pass.grids.square, s.pass.derived.grid_side, s.pass.params.SampA, s.pass.random);
    EXPECT_EQ(s.pass.random.uniform_draws(), 1u) << "later species draw no offset";
    prepare_placement(s.pass.grids, s.pass.derived.grid_side);  // a new model draws again
    s.pass.params.SampA = 17;   // the square covers the grid: the draw is taken, the offset is 0
    draw_sampled_square(s.pass.grids.square, s.pass.derived.grid_side, s.pass.params.SampA, s.pass.random);
    EXPECT_EQ(s.pass.grids.square.offset, 0);
    EXPECT_EQ(s.pass.random.uniform_draws(), 2u);
}

// Places three species of a small model, clearing the list of reached cells
// before each species when `forget` is set, so that every reset sweeps the
// whole grid.  Returns the counts after each species.
std::vector<std::vector<std::int32_t>> counts_after_each_species(bool forget, float niches, float range) {
    Placement s({400.0f, 35.0f, 900.0f}, 23);
    s.pass.params.Aggr = 1.5f;
    s.pass.params.Range = range;
    s.niches(niches);
    s.pass.derived.niche_phase = 0.4f;
    s.pass.derived.heterogeneity = 0.7f;
    s.prepare();
    for (std::size_t i = 0; i < s.pass.grids.habitat.cells.size(); ++i)
        s.pass.grids.habitat.cells[i] = static_cast<float>(i % 7) * 0.9f - 1.5f;
    s.pass.random.reseed(31337u);
    std::vector<std::vector<std::int32_t>> after;
    for (int sp = 1; sp <= 3; ++sp) {
        if (forget) s.reached.clear();
        s.place(sp);
        after.emplace_back(s.pass.grids.cell_counts.cells.begin(), s.pass.grids.cell_counts.cells.end());
        if (!s.reached.complete) continue;
        // The list names every cell the species occupies, each once.
        std::vector<std::uint32_t> listed(s.reached.cells.get(), s.reached.cells.get() + s.reached.count);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(std::adjacent_find(listed.begin(), listed.end()), listed.end()) << "species " << sp;
        for (std::size_t c = 0; c < s.pass.grids.cell_counts.cells.size(); ++c)
            if (s.pass.grids.cell_counts.cells[c] != 0) {
                EXPECT_TRUE(std::binary_search(listed.begin(), listed.end(), static_cast<std::uint32_t>(c)))
                    << "species " << sp << " cell " << c;
            }
    }
    return after;
}

TEST(Placement, ResettingTheReachedCellsEqualsClearingTheGrid) {
    for (const float niches : {0.0f, 1.0f})
        for (const float range : {0.0f, 4.0f}) {
            const auto listed = counts_after_each_species(false, niches, range);
            EXPECT_EQ(listed, counts_after_each_species(true, niches, range)) << "niches " << niches << " range " << range;
            EXPECT_NE(listed[0], listed[1]) << "the species leave different patterns, so a stale count would show";
        }
}

TEST(Placement, ReachOfACentreIsHeldToTheGrid) {
    EXPECT_EQ(detail::reach(10.0f, 1.0f, 20).lo, 4);  // nint(10 - 6.44)
    EXPECT_EQ(detail::reach(10.0f, 1.0f, 20).hi, 16);
    EXPECT_EQ(detail::reach(10.0f, 100.0f, 20).lo, 1);
    EXPECT_EQ(detail::reach(10.0f, 100.0f, 20).hi, 20);
    // Far beyond either edge, also when the centre is too far for 32-bit cell numbers.
    for (const auto& [centre, range] : {std::pair{-1.538e10f, 33033.0f}, {-2.75e9f, 33033.0f}, {1.0e10f, 5.0f},
                                        {-50.0f, 1.0f}, {80.0f, 1.0f}})
        EXPECT_TRUE(detail::reach(centre, range, 20).empty()) << centre << " " << range;
}

TEST(MapReport, CentreShowsTheNearestWholeNumberWithItsPoint) {
    const std::pair<float, const char*> cases[] = {{5.4f, "  5."},    {0.5f, "  1."},     {-3.7f, " -4."},
                                                   {-0.2f, " -0."},   {999.0f, "999."},   {1000.0f, "****"},
                                                   {-123.0f, "****"}};
    for (const auto& [value, shown] : cases) EXPECT_EQ(centre_field(value), shown) << value;
}

}  // namespace
}  // namespace lorvenna
