// The placing steps of species without a range: the cells worked out a batch
// ahead from the stream's states, the habitat terms a species can meet, and
// the stretches of plain steps, each against the step-by-step definition of
// the model, so that no placement can tell the fast loop from the plain one.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "landscape/niches.hpp"
#include "numerics/rounding.hpp"
#include "placement/placement.hpp"
#include "placement/placing_loop.hpp"
#include "placement/step_cells.hpp"
#include "support/work_bench.hpp"

namespace lorvenna {
namespace {

using testing::ends;

// Every cell a batch ahead is the one the stream's draws give, x = trunc(u
// side) then y = trunc(v side), and is asked for before its batch is taken;
// the portable and the vector way of working a batch out give the same.
TEST(StepCells, CellsAreThoseOfTheStreamsDrawsAndAreAskedForABatchAhead) {
    for (const int side : {1, 2, 7, 1025, 65537, 1 << 20, (1 << 28) + 1, (1 << 29) - 1})
        for (const std::uint32_t seed : {0u, 0xFFFFFFFFu, 20261208u}) {
            std::vector<std::uint64_t> asked;
            detail::StepCells steps(seed, side, [&asked](std::uint64_t i) { asked.push_back(i); });
            RandomStream r(seed);
            std::vector<std::uint64_t> drawn;
            for (int batch = 0; batch < 4; ++batch, steps.next_batch())
                for (std::size_t k = 0; k < steps.batch; ++k) {
                    const auto x = static_cast<std::uint64_t>(r.uniform() * side);
                    const auto y = static_cast<std::uint64_t>(r.uniform() * side);
                    drawn.push_back(x * static_cast<std::uint64_t>(side) + y);
                    ASSERT_EQ(steps.now()[k], drawn.back()) << "side " << side << " seed " << seed << " step " << drawn.size();
                }
            // Four batches taken, and after the fourth a sixth worked out.
            for (int batch = 0; batch < 2; ++batch)
                for (std::size_t k = 0; k < steps.batch; ++k) {
                    const auto x = static_cast<std::uint64_t>(r.uniform() * side);
                    drawn.push_back(x * static_cast<std::uint64_t>(side) + static_cast<std::uint64_t>(r.uniform() * side));
                }
            EXPECT_EQ(asked, drawn) << "side " << side << " seed " << seed;

            // Both ways of working a batch out, batch after batch from the state each returns.
            std::uint32_t portably = seed, in_lanes = seed;
            for (std::size_t batch = 0; batch < 6; ++batch) {
                std::array<std::uint64_t, detail::steps_per_batch> cells{};
                portably = detail::work_out_cells_portably(portably, static_cast<std::uint32_t>(side), cells.data());
                EXPECT_TRUE(std::equal(cells.begin(), cells.end(), drawn.begin() + static_cast<long>(batch * cells.size())))
                    << "portably, side " << side << " seed " << seed << " batch " << batch;
#if defined(__SSE2__)
                in_lanes = detail::work_out_cells_in_lanes(in_lanes, static_cast<std::uint32_t>(side), cells.data());
                EXPECT_TRUE(std::equal(cells.begin(), cells.end(), drawn.begin() + static_cast<long>(batch * cells.size())))
                    << "in lanes, side " << side << " seed " << seed << " batch " << batch;
#endif
            }
            EXPECT_EQ(portably, r.seed()) << "the state after six batches";
            (void)in_lanes;
        }
}

// The terms of habitat_terms bracket exactly the habitat terms of the cells:
// the least and the most habitat_clump(c h) over the grid, whatever NaN,
// infinite or negative habitat values and factors c.
TEST(ClumpSizes, HabitatTermsAreTheLeastAndMostOfEveryCell) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::vector<float>> grids = {
        {0.0f, 1.5f, 2.5f, 7.2f},  {-3.0f, -0.4f, 0.6f, 4.4f}, {nan, 2.0f, 5.0f, 1.0f},
        {3.0f, nan, -2.0f, 9.0f},  {nan, nan, nan, nan},        {-inf, 0.0f, 1.0f, inf},
        {1.0f, 1.0f, 1.0f, 1.0f},  {0.0f, -0.0f, 0.0f, 0.0f},   {1.0e30f, 2.0f, 3.0f, 4.0f}};
    for (const auto& cells : grids) {
        SquareArray<float> habitat;
        habitat.allocate(2);
        std::copy(cells.begin(), cells.end(), habitat.cells.begin());
        const detail::HabitatExtent extent = detail::habitat_extent(habitat);
        for (const float c : {-2.0f, -0.0f, 0.0f, 0.3f, 0.5f, 2.5f, 1.0e30f, inf, -inf, nan}) {
            std::int64_t least = detail::largest_clump, most = 0;
            for (const float h : cells) {
                least = std::min(least, detail::habitat_clump(c * h));
                most = std::max(most, detail::habitat_clump(c * h));
            }
            const detail::HabitatTerms terms = detail::habitat_terms(extent, c);
            EXPECT_EQ(terms.least, least) << "c " << c << " first cell " << cells[0];
            EXPECT_EQ(terms.most, most) << "c " << c << " first cell " << cells[0];
        }
    }
}

// One species on its own grid, placed as the pass places it.
struct OneSpecies : testing::WorkBench {
    ReachedCells reached;
    OneSpecies(int side, float orig, float aggregation, float c, float niche_level = 0.0f) {
        session.answers.mode = keyword("s");
        grid(side);
        set_species({orig});
        ParameterSet& p = pass.params;
        p.SampA = std::min(side, 3);
        p.maxD = 1.0f;
        p.Fractal = keyword("none");
        p.GridHet = p.RndHet = keyword("fix");
        p.Scale2 = 1.0f;
        p.Aggr = aggregation;
        p.NicheNo = 2.0f * niche_level;
        pass.derived.niche_level = niche_level;
        pass.derived.heterogeneity = c;
        fill_niche_table(pass.grids.niche_table, pass.derived);
        prepare_placement(pass.grids, side);
    }
    PlacementOutcome place() { return WorkBench::place(1, reached); }
};

// The placing steps of a species without range or niche limit as the model
// defines them, one after the other: a cell from an x and a y draw, a clump
// of k1 + nint(c h) held to 0 .. 2^53, the last clump cut so that the
// species has OrigInd individuals.
struct StepByStep {
    std::vector<std::int64_t> counts;
    std::set<std::uint32_t> reached;
    std::uint64_t draws = 0;
    std::uint32_t seed = 0;
};
StepByStep step_by_step(RandomStream r, int side, const std::vector<float>& habitat, float c, std::int64_t k1,
                        float orig) {
    StepByStep s;
    s.counts.assign(habitat.size(), 0);
    std::int64_t placed = 0;
    for (;;) {
        const auto x = static_cast<std::size_t>(r.uniform() * side);
        const auto y = static_cast<std::size_t>(r.uniform() * side);
        const std::size_t i = x * static_cast<std::size_t>(side) + y;
        const double v = static_cast<double>(c * habitat[i]);
        const std::int64_t k2 = std::isnan(v) ? 0 : std::clamp(nearest<std::int64_t>(v), std::int64_t{0}, detail::largest_clump);
        s.reached.insert(static_cast<std::uint32_t>(i));
        if (static_cast<float>(placed + k1 + k2) >= orig) {
            const float filled = static_cast<float>(s.counts[i]) + (orig - static_cast<float>(placed));
            s.counts[i] = static_cast<std::int64_t>(static_cast<double>(filled));
            break;
        }
        s.counts[i] += k1 + k2;
        placed += k1 + k2;
    }
    s.draws = r.uniform_draws();
    s.seed = r.seed();
    return s;
}

// Clumps of one size (c at or below zero, a flat habitat), clumps that vary
// with the habitat (NaN cells among them), species that fill the list of
// reached cells and go on without it, species that cross a look at the
// session's limits, a last clump cut to nothing.
TEST(PlainSteps, PlaceCellForCellWhatTheStepByStepDefinitionPlaces) {
    struct Case {
        const char* name;
        int side;
        float orig, aggregation, c;
        float (*habitat)(std::size_t);
    };
    const Case cases[] = {
        {"one size, the list fills", 23, 900.0f, 2.0f, -0.8f, [](std::size_t i) { return static_cast<float>(i % 7) * 0.9f; }},
        {"habitat terms, negatives", 23, 900.5f, 1.5f, 0.7f,
         [](std::size_t i) { return static_cast<float>(i % 7) * 0.9f - 1.5f; }},
        {"habitat terms, NaN cells", 23, 700.0f, 0.5f, 1.3f,
         [](std::size_t i) { return i % 5 == 2 ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(i % 11) * 0.4f; }},
        {"flat habitat, halves away from zero", 40, 60.0f, 0.0f, 2.5f, [](std::size_t) { return 1.0f; }},
        {"one size across looks at the limits", 257, 150000.0f, 1.0f, -0.3f, [](std::size_t i) { return static_cast<float>(i % 13); }},
        {"habitat terms across looks at the limits", 257, 150000.0f, 1.0f, 0.2f,
         [](std::size_t i) { return static_cast<float>(i % 26) * 0.2f; }},
        {"one cell", 1, 10.0f, 4.0f, 0.0f, [](std::size_t) { return 0.0f; }},
        {"half an individual", 9, 0.5f, 1.0f, -1.0f, [](std::size_t) { return 1.0f; }},
    };
    for (const Case& t : cases) {
        OneSpecies s(t.side, t.orig, t.aggregation, t.c);
        auto& habitat = s.pass.grids.habitat.cells;
        for (std::size_t i = 0; i < habitat.size(); ++i) habitat[i] = t.habitat(i);
        s.pass.random.reseed(777u);
        s.pass.random.uniform();  // the species starts in the middle of a block
        const std::int64_t k1 = std::clamp(nearest<std::int64_t>(static_cast<double>(t.c * t.aggregation + t.aggregation)),
                                           std::int64_t{1}, detail::largest_clump);
        const StepByStep expected =
            step_by_step(s.pass.random, t.side, std::vector<float>(habitat.begin(), habitat.end()), t.c, k1, t.orig);
        const PlacementOutcome outcome = s.place();

        EXPECT_EQ(outcome.shortfall, Shortfall::none) << t.name;
        EXPECT_EQ(s.pass.community.species[0].assigned, t.orig) << t.name;
        EXPECT_EQ(s.pass.random.uniform_draws(), expected.draws) << t.name;
        EXPECT_EQ(s.pass.random.seed(), expected.seed) << t.name;
        EXPECT_TRUE(std::equal(expected.counts.begin(), expected.counts.end(), s.pass.grids.cell_counts.cells.begin()))
            << t.name;
        const bool fits = expected.reached.size() <= s.reached.capacity;
        EXPECT_EQ(s.reached.complete, fits) << t.name;
        if (fits) {
            EXPECT_EQ(std::set<std::uint32_t>(s.reached.cells.get(), s.reached.cells.get() + s.reached.count), expected.reached)
                << t.name;
        }
    }
}

// Under a cap on random draws the placement looks at it before every
// check_interval-th step and ends at the first look past the cap: the stream
// then holds exactly the draws of the steps before that look, whichever loop
// places the species.
TEST(PlainSteps, DrawCapEndsThePlacementAtTheLookOfTheStepByStepLoop) {
    constexpr std::uint64_t cap = 2000;  // a look every 125 steps
    const std::uint64_t interval = cap / 16;
    struct Case {
        const char* name;
        float c, niche_level;
    };
    for (const Case t : {Case{"clumps of one size", -0.5f, 0.0f}, Case{"habitat terms", 0.5f, 0.0f},
                         Case{"niche limit", 0.5f, 1000.0f}}) {
        OneSpecies s(50, 1.0e5f, 1.0f, t.c, t.niche_level);
        for (std::size_t i = 0; i < s.pass.grids.habitat.cells.size(); ++i)
            s.pass.grids.habitat.cells[i] = static_cast<float>(i % 4);
        s.io.max_uniform_draws = cap;
        s.pass.random.reseed(99u);
        for (int k = 0; k < 37; ++k) s.pass.random.uniform();
        const std::uint64_t before = s.pass.random.uniform_draws();
        // The looks come before the steps t with (t + 1) a multiple of the interval.
        std::uint64_t step = interval - 1;
        while (before + 2 * step <= cap) step += interval;
        const auto end = ends([&] { s.place(); });
        ASSERT_TRUE(end) << t.name;
        EXPECT_EQ(end->message, " Refused: more than 2000 random draws") << t.name;
        EXPECT_EQ(s.pass.random.uniform_draws(), before + 2 * step) << t.name;
    }
}

}  // namespace
}  // namespace lorvenna
