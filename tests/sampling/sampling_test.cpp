// The five sampling designs: where their units lie, what they cover, how the
// cell counts reach them and how the series of sample sizes runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "sampling/sample_evaluation.hpp"
#include "sampling/sample_units.hpp"
#include "sampling/sampling_designs.hpp"
#include "support/work_bench.hpp"

namespace lorvenna {
namespace {

// A grid of `areal` cells a side sampled by `max_sa` units of a design; every cell holds one niche.
struct Model : testing::WorkBench {
    ReachedCells reached;
    TallyWorkspace workspace;

    Model(const char* method, int areal, int sampa, int factor, int max_sa, int species) {
        ParameterSet& p = pass.params;
        p.Method = keyword(method);
        grid(areal);
        p.SampA = sampa;
        p.Sampfac = factor;
        p.maxSa = p.minSa = pass.derived.max_sample = pass.derived.min_sample = max_sa;
        p.StepSa = 1;
        set_species(std::vector<float>(static_cast<std::size_t>(species), 1.0f));
        for (SpeciesRow& row : pass.community.species) row.assigned = 1.0f;
        pass.grids.cell_counts.allocate(areal, 0);
        pass.grids.habitat.allocate(areal, 0.0f);
    }
    void units(std::int64_t offset = 0) {
        const SampleSizes sizes = clamped_sample_sizes(pass.params);
        pass.derived.max_sample = sizes.max;
        pass.derived.min_sample = sizes.min;
        prepare();
        pass.grids.square.offset = offset;
        draw();
    }
    // The sample units for the species of the model, and the positions of "dep" and "lin" units.
    void prepare() { prepare_sample_units(pass.samples, frame(), static_cast<int>(pass.community.species.size())); }
    void draw() { draw_unit_positions(pass.samples, frame(), pass.random); }
    SampleSeries series(bool with_truth) const {
        return SampleSeries(frame(), pass.samples, pass.community.species, SeriesOutputs{with_truth, false, 0});
    }
    bool next(SampleSeries& series, SampleSizePass& size) { return series.next(pass.samples, pass.random, size); }
    Block block(int i) const {
        return unit_block(pass.params.Method.kind(), pass.params.Sampfac, pass.samples, sampling_window(frame()), i);
    }
    void tally(int sp, TallyMethod method = TallyMethod::automatic) {
        sample_species(pass.samples, frame(), pass.grids.cell_counts, sp, reached, workspace, method);
    }
    // Fills the grid with a reproducible pattern for species k and tallies it.
    void place(int k) {
        for (int x = 1; x <= pass.params.Areal; ++x)
            for (int y = 1; y <= pass.params.Areal; ++y)
                pass.grids.cell_counts.at(x, y) = (x * 7 + y * 13 + k * 5) % 4 == 0 ? (x + y + k) % 3 + 1 : 0;
        tally(k + 1);
    }
    // Direct sum of the cell counts over grid cells x0..x1, y0..y1.
    std::int64_t direct(int x0, int y0, int x1, int y1) const {
        std::int64_t s = 0;
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y) s += pass.grids.cell_counts.at(x, y);
        return s;
    }
};

TEST(SamplingUnits, BlocksAndAreasOfTheFixedDesigns) {
    struct Case {
        const char* method;
        int factor, units;
        std::vector<int> first, last;  // window coordinates of every unit, on the diagonal
        std::vector<std::int64_t> area;
    };
    const Case cases[] = {
        {"seq", 2, 3, {1, 1, 1}, {2, 4, 6}, {4, 16, 36}},
        {"ind", 1, 5, {1, 2, 4, 7, 11}, {1, 3, 6, 10, 15}, {1, 4, 9, 16, 25}},
        {"oct", 1, 6, {1, 1, 1, 1, 1, 1}, {1, 1, 2, 2, 4, 5}, {1, 2, 4, 8, 16, 32}},
    };
    for (const Case& c : cases) {
        Model m(c.method, 20, 16, c.factor, c.units, 1);
        m.units(3);
        EXPECT_EQ(m.pass.samples.area, c.area) << c.method;
        const std::vector<std::int64_t> cells = c.method[0] == 'o' ? std::vector<std::int64_t>{1, 1, 4, 4, 16, 25} : c.area;
        EXPECT_EQ(m.pass.samples.niches, cells) << c.method << ": one niche per cell";
        for (int i = 1; i <= c.units; ++i) {
            const Block b = m.block(i);
            const auto k = static_cast<std::size_t>(i - 1);
            EXPECT_TRUE(b.x0 == c.first[k] && b.y0 == c.first[k] && b.x1 == c.last[k] && b.y1 == c.last[k])
                << c.method << " unit " << i << ": " << b.x0 << ".." << b.x1 << " x " << b.y0 << ".." << b.y1;
        }
    }
    EXPECT_EQ(unit_area(Design::octaves, Block{}, 33), 0) << "beyond the 32-bit power";
    Model ind("ind", 20, 12, 1, 5, 1);  // five units where the design allows four
    ind.prepare();
    EXPECT_EQ(ind.block(5).x1, 12) << "the last unit is cut at the edge of the square";
    EXPECT_EQ(ind.pass.samples.area[4], 4);
}

TEST(SamplingUnits, RandomDependentBlocksStayInsideTheSquare) {
    for (int square : {1, 2, 5, 8, 33})
        for (int f = 1; f <= 10; ++f)
            for (int k = 0; k < 200; ++k) {
                const int r = dependent_start(k / 200.0, square, f);
                EXPECT_GE(r, 1);
                EXPECT_LE(r + std::min(f, square) - 1, square) << "square " << square << " f " << f << " u " << k / 200.0;
            }
    // Two draws per unit, right after the offset, in grid coordinates; niches accumulate.
    Model dep("dep", 30, 8, 3, 12, 2);
    dep.pass.random.reseed(4711);
    dep.units(17);
    EXPECT_EQ(dep.pass.random.uniform_draws(), 24u);
    for (int u = 0; u < 12; ++u)
        for (const int c : {dep.pass.samples.x[static_cast<std::size_t>(u)], dep.pass.samples.y[static_cast<std::size_t>(u)]}) {
            EXPECT_GE(c, 18);
            EXPECT_LE(c + 2, 17 + 8);
        }
    EXPECT_EQ(dep.pass.samples.area, std::vector<std::int64_t>(12, 9));
    for (int u = 0; u < 12; ++u) EXPECT_EQ(dep.pass.samples.niches[static_cast<std::size_t>(u)], 9 * (u + 1));
}

TEST(SamplingUnits, DiagonalUnitsLieOnTheDiagonalWithoutDraws) {
    Model lin("lin", 30, 10, 1, 10, 1);
    lin.units(4);
    EXPECT_EQ(lin.pass.random.uniform_draws(), 0u);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(lin.pass.samples.x[static_cast<std::size_t>(i - 1)], 4 + i);
        EXPECT_EQ(lin.pass.samples.y[static_cast<std::size_t>(i - 1)], 4 + i);
    }
    for (int i = 1; i <= 40; ++i) {  // blocks that would leave the square are drawn back into it
        const int r = diagonal_start(i, 10, 3);
        EXPECT_GE(r, 1);
        EXPECT_LE(r + 2, 10);
    }
}

TEST(SamplingUnits, NoDesignReadsOutsideTheGridWhateverTheValues) {
    struct Case {
        const char* method;
        int areal, sampa, f, max_sa;
        std::int64_t offset;
    };
    const Case cases[] = {{"seq", 5, 1, 10, 25, 4}, {"ind", 5, 1, 10, 25, 4}, {"oct", 5, 1, 10, 40, 4},
                          {"dep", 5, 1, 10, 25, 4}, {"lin", 5, 1, 10, 25, 4}, {"dep", 12, 3, 10, 9, 9},
                          {"lin", 12, 12, 10, 30, 0}, {"ind", 12, 12, 1, 9, 0}, {"oct", 64, 64, 1, 12, 0}};
    for (const Case& c : cases) {
        Model m(c.method, c.areal, c.sampa, c.f, c.max_sa, 2);
        m.prepare();  // sizes as given, beyond what the design allows
        m.pass.grids.square.offset = c.offset;
        m.draw();
        const Window w = sampling_window(m.frame());
        EXPECT_LE(w.offset + w.side, c.areal) << c.method;
        for (int i = 1; i <= c.max_sa; ++i) {
            const Block b = m.block(i);
            if (b.empty()) continue;
            EXPECT_TRUE(b.x0 >= 1 && b.y0 >= 1 && b.x1 <= w.side && b.y1 <= w.side) << c.method << " unit " << i;
        }
        m.place(0);
        m.place(1);
        SampleSeries series = m.series(false);
        SampleSizePass pass;
        while (m.next(series, pass)) {
            const SpeciesAreaFits& f = pass.rows.fits;
            for (const double v : {f.power.c, f.power.z, f.semi_log.c, f.semi_log.z, f.endemics.c, f.endemics.z, pass.rows.bootstrap,
                                   static_cast<double>(pass.statistics.diversity)})
                EXPECT_TRUE(std::isfinite(v)) << c.method;
        }
    }
}

TEST(SamplingSizes, ClampSeriesAndExchanges) {
    struct Clamp {
        const char* method;
        int sampa, f, max_sa, min_sa, max, min;
    };
    const Clamp clamps[] = {
        {"seq", 16, 2, 100, 50, 8, 8}, {"lin", 20, 3, 100, 2, 6, 2}, {"dep", 8, 3, 100, 1, 21, 1},
        {"ind", 6, 1, 100, 1, 3, 1},   {"ind", 5, 1, 100, 1, 2, 1},  {"oct", 16, 1, 100, 1, 8, 1},
        {"seq", 5, 10, 7, 3, 1, 1},    // a bound of 0 becomes 1
        {"seq", 16, 1, 4, 2, 4, 2},    // below the bound: kept
    };
    for (const Clamp& c : clamps) {
        ParameterSet p;
        p.Method = keyword(c.method);
        p.SampA = c.sampa;
        p.Sampfac = c.f;
        p.maxSa = c.max_sa;
        p.minSa = c.min_sa;
        const SampleSizes s = clamped_sample_sizes(p);
        EXPECT_EQ(std::pair(s.max, s.min), std::pair(c.max, c.min)) << c.method << " " << c.sampa << " " << c.f;
    }
    EXPECT_EQ(sample_size_series(2, 3, 7), (std::vector<int>{2, 5, 7}));
    EXPECT_EQ(sample_size_series(4, 4, 4), (std::vector<int>{4}));
    EXPECT_EQ(sample_size_series(3, 10, 5), (std::vector<int>{3, 5}));
    EXPECT_EQ(sample_size_series(9, 1, 5), (std::vector<int>{5}));
    EXPECT_EQ(sample_size_series(1, 0, 2), (std::vector<int>{1, 2}));

    RandomStream random(99);
    std::vector<int> order(10);
    std::iota(order.begin(), order.end(), 0);
    exchange_units(random, order, 5, 1000);
    EXPECT_EQ(random.uniform_draws(), 2000u) << "two draws per exchange";
    for (int p = 4; p < 10; ++p) EXPECT_EQ(order[static_cast<std::size_t>(p)], p) << "unit n and later never move";
    std::vector<int> head(order.begin(), order.begin() + 4);
    EXPECT_NE(head, (std::vector<int>{0, 1, 2, 3}));
    std::sort(head.begin(), head.end());
    EXPECT_EQ(head, (std::vector<int>{0, 1, 2, 3}));
    // The positions are trunc(u (n-1)) + 1, a drawn before b.
    RandomStream replay(7), random2(7);
    std::vector<int> two{0, 1, 2, 3}, expect{0, 1, 2, 3};
    exchange_units(random2, two, 3, 1);
    const int a = static_cast<int>(replay.uniform() * 2) + 1;
    const int b = static_cast<int>(replay.uniform() * 2) + 1;
    std::swap(expect[static_cast<std::size_t>(a - 1)], expect[static_cast<std::size_t>(b - 1)]);
    EXPECT_EQ(two, expect);
}

TEST(SamplingTally, UnitCountsEqualDirectSumsOverTheirCells) {
    Model seq("seq", 20, 12, 2, 6, 3);
    seq.units(5);
    for (int k = 0; k < 3; ++k) {
        seq.place(k);
        for (int i = 1; i <= 6; ++i)
            EXPECT_EQ(seq.pass.samples.count(k, i - 1), seq.direct(6, 6, 5 + 2 * i, 5 + 2 * i)) << "unit " << i;
    }
    Model ind("ind", 20, 10, 1, 4, 2);
    ind.units(3);
    ind.place(1);
    const int a[] = {1, 2, 4, 7}, e[] = {1, 3, 6, 10};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ind.pass.samples.count(1, i), ind.direct(3 + a[i], 3 + a[i], 3 + e[i], 3 + e[i]));

    Model dep("dep", 30, 9, 2, 15, 2);
    dep.pass.random.reseed(2024);
    dep.units(11);
    dep.place(0);
    std::int64_t squares = 0, pooled = 0;
    for (std::size_t u = 0; u < 15; ++u) {
        const int x = dep.pass.samples.x[u], y = dep.pass.samples.y[u];
        EXPECT_EQ(dep.pass.samples.count(0, static_cast<int>(u)), dep.direct(x, y, x + 1, y + 1));
        pooled += dep.direct(x, y, x + 1, y + 1);
        for (int cx = x; cx <= x + 1; ++cx)
            for (int cy = y; cy <= y + 1; ++cy)
                squares += std::int64_t{dep.pass.grids.cell_counts.at(cx, cy)} * dep.pass.grids.cell_counts.at(cx, cy);
    }
    EXPECT_DOUBLE_EQ(dep.pass.samples.squared_counts[0], static_cast<double>(squares));
    EXPECT_GT(pooled, 0);
}

// Tallies of every unit and the squared counts of one species.
struct Tally {
    std::vector<std::int32_t> counts;
    double squares = 0.0;
    bool operator==(const Tally&) const = default;
};

Tally tally_of(Model& m, int sp, TallyMethod method) {
    m.tally(sp, method);
    const SampleTables& t = m.pass.samples;
    Tally r;
    for (int u = 0; u < t.units; ++u) r.counts.push_back(t.counts[static_cast<std::size_t>((sp - 1) * t.units + u)]);
    r.squares = t.squared_counts[static_cast<std::size_t>(sp - 1)];
    return r;
}

// The nested and independent designs tally the occupied cells alone, from
// the placement's list of reached cells or from a sweep of the window; the
// summed-area tables are the reference on random fixtures: sparse and dense
// patterns, offsets, factors, and counts whose squares lie beyond 2^53.
TEST(SamplingTally, CellByCellEqualsSummedAreas) {
    std::uint32_t seed = 12345u;
    auto next = [&seed](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    int checked = 0, beyond_exact = 0;
    for (const char* method : {"seq", "oct", "ind"})
        for (const int factor : {1, 3})
            for (const int fill_percent : {2, 40, 100})
                for (const std::int32_t most : {9, 2000000000}) {
                    const int areal = 29 + static_cast<int>(next(12));
                    const int sampa = 11 + static_cast<int>(next(static_cast<std::uint32_t>(areal - 11)));
                    Model m(method, areal, sampa, factor, 40, 2);
                    m.units(next(static_cast<std::uint32_t>(areal - sampa + 1)));
                    for (int sp = 1; sp <= 2; ++sp) {
                        std::vector<std::uint32_t> occupied;
                        for (std::size_t i = 0; i < m.pass.grids.cell_counts.cells.size(); ++i) {
                            const bool filled = next(100) < static_cast<std::uint32_t>(fill_percent);
                            m.pass.grids.cell_counts.cells[i] =
                                filled ? 1 + static_cast<std::int32_t>(next(static_cast<std::uint32_t>(most))) : 0;
                            if (filled) occupied.push_back(static_cast<std::uint32_t>(i));
                        }
                        const Tally reference = tally_of(m, sp, TallyMethod::summed_areas);
                        m.reached = ReachedCells{};
                        EXPECT_EQ(tally_of(m, sp, TallyMethod::automatic), reference) << method << " swept";
                        // The list as the placement leaves it, in the order the cells were reached.
                        std::reverse(occupied.begin(), occupied.end());
                        ReachedCells& r = m.reached;
                        r.capacity = occupied.size() + 1;
                        r.cells = std::make_unique<std::uint32_t[]>(r.capacity);
                        std::copy(occupied.begin(), occupied.end(), r.cells.get());
                        r.count = occupied.size();
                        r.species = sp;
                        r.side = areal;
                        r.complete = true;
                        EXPECT_EQ(tally_of(m, sp, TallyMethod::automatic), reference) << method << " listed";
                        if (reference.squares >= 9007199254740992.0) ++beyond_exact;
                        ++checked;
                    }
                }
    EXPECT_EQ(checked, 72);
    EXPECT_GT(beyond_exact, 0) << "the fixtures reach squared counts beyond 2^53";

    // A list of another species, or an incomplete one, is not used.
    Model m("seq", 12, 10, 1, 10, 2);
    m.units();
    m.pass.grids.cell_counts.at(2, 3) = 4;
    m.pass.grids.cell_counts.at(9, 9) = 5;
    ReachedCells& r = m.reached;
    r.capacity = 4;
    r.cells = std::make_unique<std::uint32_t[]>(r.capacity);
    r.cells[0] = 1 * 12 + 2;  // cell (2, 3) only
    r.count = 1;
    r.side = 12;
    r.complete = true;
    r.species = 1;  // but species 2 is tallied
    m.tally(2);
    EXPECT_EQ(m.pass.samples.count(1, 9), 9);
    r.species = 2;
    r.complete = false;
    m.tally(2);
    EXPECT_EQ(m.pass.samples.count(1, 9), 9);
    EXPECT_EQ(m.pass.samples.squared_counts[1], 41.0);
}

TEST(SampleSeries, EachSizeSamplesItsUnitsNestedOrPooled) {
    const std::vector<std::int32_t> data{1, 3, 6, 0, 2, 2};  // 2 species x 3 units
    const SampleCounts c{data.data(), 2, 3};
    EXPECT_EQ(sample_abundances(Design::nested, c, 2), (std::vector<double>{3, 2}));
    EXPECT_EQ(sample_abundances(Design::octaves, c, 3), (std::vector<double>{6, 2}));
    EXPECT_EQ(sample_abundances(Design::independent, c, 2), (std::vector<double>{4, 2}));
    EXPECT_EQ(sample_abundances(Design::random_dependent, c, 3), (std::vector<double>{10, 4}));
    EXPECT_EQ(cells_sampled(Design::nested, {4, 16, 36}, 2), 16);
    EXPECT_EQ(cells_sampled(Design::diagonal, {4, 16, 36}, 3), 56);

    Model seq("seq", 20, 16, 2, 7, 4);
    seq.pass.params.minSa = 2;
    seq.pass.params.StepSa = 3;
    seq.units(2);
    for (int k = 0; k < 4; ++k) seq.place(k);
    const std::vector<SpeciesSample> table = species_sample_table(seq.pass.samples, seq.frame(), seq.pass.community.species);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[3].individuals, seq.direct(3, 3, 16, 16));
    for (int k = 0; k < 4; ++k) {
        const auto uk = static_cast<std::size_t>(k);
        EXPECT_EQ(table[uk].individuals, seq.pass.samples.count(k, 6)) << "the largest unit is the sample";
        EXPECT_EQ(seq.pass.community.species[uk].sample_column, static_cast<float>(table[uk].individuals));
    }
    SampleSeries series = seq.series(false);
    SampleSizePass pass;
    const int sizes[] = {2, 5, 7};
    for (const int n : sizes) {
        ASSERT_TRUE(seq.next(series, pass));
        EXPECT_EQ(pass.n, n);
        EXPECT_EQ(pass.area_sampled, 4 * n * n);
        EXPECT_EQ(pass.unit_area, 4) << "the grain: unit 1 of side f";
        EXPECT_EQ(pass.rows.area.size(), static_cast<std::size_t>(n));
        double individuals = 0.0;
        for (int k = 0; k < 4; ++k) individuals += seq.pass.samples.count(k, n - 1);
        EXPECT_EQ(pass.statistics.individuals, individuals) << "the sample of size " << n;
    }
    EXPECT_FALSE(seq.next(series, pass));
}

}  // namespace
}  // namespace lorvenna
