#include "sampling/sampling_designs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "driver/io_seam.hpp"
#include "sampling/sample_contents.hpp"
#include "sampling/sample_units.hpp"
#include "support/session_runner.hpp"

using namespace lorvenna;
using lorvenna::testing::tokens;

namespace {

struct Model {
    std::istringstream in;
    std::ostringstream out;
    std::filesystem::path dir = lorvenna::testing::fresh_directory();
// The session seam grows members for the driver; a test needs only the first four.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
    Io io{in, out, dir, real_file_system()};
#pragma GCC diagnostic pop
    WorkArea wa{io};

    Model(const char* method, int areal, int sampa, int factor, int max_sa, int species) {
        ParameterSet& p = wa.params;
        p.Method = keyword(method);
        p.Areal = areal;
        p.SampA = sampa;
        p.Sampfac = factor;
        p.maxSa = max_sa;
        p.minSa = max_sa;
        p.StepSa = 1;
        p.Species = species;
        p.Permut = 1;
        wa.species.resize(static_cast<std::size_t>(species));
        for (int k = 0; k < species; ++k) {
            wa.species[static_cast<std::size_t>(k)].number = static_cast<float>(k + 1);
            wa.species[static_cast<std::size_t>(k)].weight = 2.0f;
            wa.species[static_cast<std::size_t>(k)].assigned = 1.0f;
        }
        wa.derived.niche_level = 0.0f;  // every cell holds one niche
        wa.cell_counts.allocate(areal, 0);
        wa.habitat.allocate(areal, 0.0f);
    }

    // Fills the grid with a reproducible pattern for species k and tallies it.
    void place(int k) {
        for (int x = 1; x <= wa.params.Areal; ++x)
            for (int y = 1; y <= wa.params.Areal; ++y)
                wa.cell_counts.at(x, y) = (x * 7 + y * 13 + k * 5) % 4 == 0 ? (x + y + k) % 3 + 1 : 0;
        sample_species(wa, k + 1);
    }

    // Direct sum of the cell counts over grid cells x0..x1, y0..y1.
    std::int64_t direct(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) const {
        std::int64_t s = 0;
        for (auto x = x0; x <= x1; ++x)
            for (auto y = y0; y <= y1; ++y) s += wa.cell_counts.at(static_cast<int>(x), static_cast<int>(y));
        return s;
    }

    std::vector<std::string> report(ReportFile& file) {
        file.close();
        std::ifstream in(dir / file.name());
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
};


}  // namespace

TEST(SamplingUnits, AreasAndBlocksOfTheFixedDesigns) {
    Model seq("seq", 20, 16, 2, 3, 1);
    prepare_sample_units(seq.wa);
    EXPECT_EQ(seq.wa.samples.area, (std::vector<std::int64_t>{4, 16, 36}));

    Model ind("ind", 20, 16, 1, 3, 1);
    prepare_sample_units(ind.wa);
    EXPECT_EQ(ind.wa.samples.area, (std::vector<std::int64_t>{1, 4, 9}));
    const Window wi = sampling_window(ind.wa.params, 0, 20);
    const int first[] = {1, 2, 4}, last[] = {1, 3, 6};
    for (int i = 1; i <= 3; ++i) {
        const Block b = unit_block(Design::independent, 1, ind.wa.samples, wi, i);
        EXPECT_EQ(b.x0, first[i - 1]);
        EXPECT_EQ(b.y0, first[i - 1]);
        EXPECT_EQ(b.x1, last[i - 1]);
        EXPECT_EQ(b.y1, last[i - 1]);
    }

    Model oct("oct", 20, 16, 1, 5, 1);
    prepare_sample_units(oct.wa);
    EXPECT_EQ(oct.wa.samples.area, (std::vector<std::int64_t>{1, 2, 4, 8, 16}));
    const Window wo = sampling_window(oct.wa.params, 0, 20);
    const int sides[] = {1, 1, 2, 2, 4};
    for (int i = 1; i <= 5; ++i) {
        const Block b = unit_block(Design::octaves, 1, oct.wa.samples, wo, i);
        EXPECT_EQ(b.x1, sides[i - 1]);
        EXPECT_EQ(b.cells(), sides[i - 1] * sides[i - 1]);
    }
    EXPECT_EQ(unit_area(Design::octaves, Block{}, 33), 0);  // beyond the 32-bit power
}

TEST(SamplingUnits, NichesAreSummedOverTheCellsOfEachUnit) {
    // With niche level 0 every cell holds one niche: a unit's niches are its cells.
    Model seq("seq", 20, 16, 2, 3, 1);
    prepare_sample_units(seq.wa);
    EXPECT_EQ(seq.wa.samples.niches, (std::vector<std::int64_t>{4, 16, 36}));

    // "dep" and "lin" add the niches of the earlier units.
    Model dep("dep", 30, 8, 3, 4, 1);
    prepare_sample_units(dep.wa);
    dep.wa.offset = 5;
    draw_unit_positions(dep.wa);
    EXPECT_EQ(dep.wa.samples.niches, (std::vector<std::int64_t>{9, 18, 27, 36}));
    EXPECT_EQ(dep.wa.samples.area, (std::vector<std::int64_t>{9, 9, 9, 9}));
}

TEST(SamplingUnits, RandomDependentBlocksStayInsideTheSquare) {
    for (int square : {1, 2, 5, 8, 33}) {
        for (int f = 1; f <= 10; ++f) {
            for (int k = 0; k < 200; ++k) {
                const double u = k / 200.0;
                const int r = dependent_start(u, square, f);
                EXPECT_GE(r, 1);
                if (f <= square)
                    EXPECT_LE(r + f - 1, square) << "square " << square << " f " << f << " u " << u;
                else
                    EXPECT_EQ(r, 1);
            }
        }
    }
    // The positions of a model: two draws per unit, right after the offset, in grid coordinates.
    Model dep("dep", 30, 8, 3, 12, 2);
    prepare_sample_units(dep.wa);
    dep.wa.offset = 17;
    dep.wa.random.reseed(4711);
    const auto before = dep.wa.random.uniform_draws();
    draw_unit_positions(dep.wa);
    EXPECT_EQ(dep.wa.random.uniform_draws() - before, 24u);
    for (int u = 0; u < 12; ++u) {
        for (const int c : {dep.wa.samples.x[static_cast<std::size_t>(u)], dep.wa.samples.y[static_cast<std::size_t>(u)]}) {
            EXPECT_GE(c, 18);
            EXPECT_LE(c + 2, 17 + 8);
        }
    }
}

TEST(SamplingUnits, DiagonalUnitsLieOnTheDiagonalWithoutDraws) {
    Model lin("lin", 30, 10, 1, 10, 1);
    prepare_sample_units(lin.wa);
    lin.wa.offset = 4;
    const auto before = lin.wa.random.uniform_draws();
    draw_unit_positions(lin.wa);
    EXPECT_EQ(lin.wa.random.uniform_draws(), before);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(lin.wa.samples.x[static_cast<std::size_t>(i - 1)], 4 + i);
        EXPECT_EQ(lin.wa.samples.y[static_cast<std::size_t>(i - 1)], 4 + i);
    }
    // Blocks that would leave the square are drawn back into it.
    for (int i = 1; i <= 40; ++i) {
        const int r = diagonal_start(i, 10, 3);
        EXPECT_GE(r, 1);
        EXPECT_LE(r + 2, 10);
    }
}

TEST(SamplingUnits, NoDesignReadsOutsideTheGridWhateverTheValues) {
    struct Case { const char* method; int areal, sampa, f, max_sa; std::int64_t offset; };
    const Case cases[] = {{"seq", 5, 1, 10, 25, 4}, {"ind", 5, 1, 10, 25, 4}, {"oct", 5, 1, 10, 40, 4},
                          {"dep", 5, 1, 10, 25, 4}, {"lin", 5, 1, 10, 25, 4}, {"dep", 12, 3, 10, 9, 9},
                          {"lin", 12, 12, 10, 30, 0}, {"ind", 12, 12, 1, 9, 0}, {"oct", 64, 64, 1, 12, 0}};
    for (const Case& c : cases) {
        Model m(c.method, c.areal, c.sampa, c.f, c.max_sa, 2);
        prepare_sample_units(m.wa);
        m.wa.offset = c.offset;
        draw_unit_positions(m.wa);
        const Window w = sampling_window(m.wa.params, m.wa.offset, c.areal);
        EXPECT_LE(w.offset + w.side, c.areal) << c.method;
        for (int i = 1; i <= c.max_sa; ++i) {
            const Block b = unit_block(design_of(m.wa.params.Method), c.f, m.wa.samples, w, i);
            if (b.empty()) continue;
            EXPECT_GE(b.x0, 1) << c.method << " unit " << i;
            EXPECT_LE(b.x1, w.side) << c.method << " unit " << i;
            EXPECT_LE(b.y1, w.side) << c.method << " unit " << i;
        }
        m.place(0);
        m.place(1);
        m.wa.reports.analysis.open(m.io);
        evaluate_samples(m.wa);
        const auto lines = m.report(m.wa.reports.analysis);
        EXPECT_EQ(lines.size(), 8u + 4u) << c.method;
        for (const std::string& l : lines) {
            EXPECT_EQ(l.find("nan"), std::string::npos) << c.method;
            EXPECT_EQ(l.find("inf"), std::string::npos) << c.method;
        }
    }
}

TEST(SamplingUnits, ClampFollowsTheDesign) {
    auto clamped = [](const char* method, int sampa, int f, int max_sa, int min_sa) {
        ParameterSet p;
        p.Method = keyword(method);
        p.SampA = sampa;
        p.Sampfac = f;
        p.maxSa = max_sa;
        p.minSa = min_sa;
        clamp_sample_size_to_design(p);
        return std::pair<int, int>{p.maxSa, p.minSa};
    };
    EXPECT_EQ(clamped("seq", 16, 2, 100, 50), (std::pair<int, int>{8, 8}));
    EXPECT_EQ(clamped("lin", 20, 3, 100, 2), (std::pair<int, int>{6, 2}));
    EXPECT_EQ(clamped("dep", 8, 3, 100, 1), (std::pair<int, int>{21, 1}));
    EXPECT_EQ(clamped("ind", 6, 1, 100, 1), (std::pair<int, int>{3, 1}));
    EXPECT_EQ(clamped("ind", 5, 1, 100, 1), (std::pair<int, int>{2, 1}));
    EXPECT_EQ(clamped("oct", 16, 1, 100, 1), (std::pair<int, int>{8, 1}));
    EXPECT_EQ(clamped("seq", 5, 10, 7, 3), (std::pair<int, int>{1, 1}));  // bound 0 becomes 1
    EXPECT_EQ(clamped("seq", 16, 1, 4, 2), (std::pair<int, int>{4, 2}));  // below the bound: kept
}

TEST(SamplingSizes, SeriesEndsExactlyAtTheLargestSize) {
    EXPECT_EQ(sample_size_series(2, 3, 7), (std::vector<int>{2, 5, 7}));
    EXPECT_EQ(sample_size_series(1, 1, 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(sample_size_series(1, 2, 5), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(sample_size_series(4, 4, 4), (std::vector<int>{4}));
    EXPECT_EQ(sample_size_series(3, 10, 5), (std::vector<int>{3, 5}));
    EXPECT_EQ(sample_size_series(9, 1, 5), (std::vector<int>{5}));
    EXPECT_EQ(sample_size_series(1, 0, 2), (std::vector<int>{1, 2}));
}

TEST(SamplingExchanges, UnitNAndLaterUnitsNeverMove) {
    RandomStream random(99);
    std::vector<int> order(10);
    std::iota(order.begin(), order.end(), 0);
    exchange_units(random, order, 5, 1000);
    EXPECT_EQ(random.uniform_draws(), 2000u);  // two draws per exchange, a first
    for (int p = 4; p < 10; ++p) EXPECT_EQ(order[static_cast<std::size_t>(p)], p);
    std::vector<int> head(order.begin(), order.begin() + 4);
    EXPECT_NE(head, (std::vector<int>{0, 1, 2, 3}));  // 1000 exchanges do reorder the first units
    std::sort(head.begin(), head.end());
    EXPECT_EQ(head, (std::vector<int>{0, 1, 2, 3}));

    // The positions follow trunc(u (n-1)) + 1, a drawn before b.
    RandomStream replay(7), random2(7);
    std::vector<int> two{0, 1, 2, 3};
    exchange_units(random2, two, 3, 1);
    const int a = static_cast<int>(replay.uniform() * 2) + 1;
    const int b = static_cast<int>(replay.uniform() * 2) + 1;
    std::vector<int> expect{0, 1, 2, 3};
    std::swap(expect[static_cast<std::size_t>(a - 1)], expect[static_cast<std::size_t>(b - 1)]);
    EXPECT_EQ(two, expect);

    // One unit: draws are made, nothing moves.
    RandomStream single(3);
    std::vector<int> one{0, 1};
    exchange_units(single, one, 1, 4);
    EXPECT_EQ(single.uniform_draws(), 8u);
    EXPECT_EQ(one, (std::vector<int>{0, 1}));
}

TEST(SamplingTally, SummedAreaCountsEqualDirectSums) {
    {
        Model seq("seq", 20, 12, 2, 6, 3);
        prepare_sample_units(seq.wa);
        seq.wa.offset = 5;
        draw_unit_positions(seq.wa);
        for (int k = 0; k < 3; ++k) {
            seq.place(k);
            for (int i = 1; i <= 6; ++i)
                EXPECT_EQ(seq.wa.samples.count(k, i - 1), seq.direct(6, 6, 5 + 2 * i, 5 + 2 * i));
        }
    }
    {
        Model ind("ind", 20, 10, 1, 4, 2);
        prepare_sample_units(ind.wa);
        ind.wa.offset = 3;
        draw_unit_positions(ind.wa);
        ind.place(1);
        const int a[] = {1, 2, 4, 7}, e[] = {1, 3, 6, 10};
        for (int i = 1; i <= 4; ++i)
            EXPECT_EQ(ind.wa.samples.count(1, i - 1), ind.direct(3 + a[i - 1], 3 + a[i - 1], 3 + e[i - 1], 3 + e[i - 1]));
    }
    {
        Model dep("dep", 30, 9, 2, 15, 2);
        prepare_sample_units(dep.wa);
        dep.wa.offset = 11;
        dep.wa.random.reseed(2024);
        draw_unit_positions(dep.wa);
        dep.place(0);
        std::int64_t pooled = 0;
        for (int u = 0; u < 15; ++u) {
            const int x = dep.wa.samples.x[static_cast<std::size_t>(u)];
            const int y = dep.wa.samples.y[static_cast<std::size_t>(u)];
            const std::int64_t want = dep.direct(x, y, x + 1, y + 1);
            EXPECT_EQ(dep.wa.samples.count(0, u), want);
            pooled += want;
        }
        std::int64_t squares = 0;
        for (int u = 0; u < 15; ++u) {
            const int x = dep.wa.samples.x[static_cast<std::size_t>(u)];
            const int y = dep.wa.samples.y[static_cast<std::size_t>(u)];
            for (int cx = x; cx <= x + 1; ++cx)
                for (int cy = y; cy <= y + 1; ++cy)
                    squares += static_cast<std::int64_t>(dep.wa.cell_counts.at(cx, cy)) * dep.wa.cell_counts.at(cx, cy);
        }
        EXPECT_DOUBLE_EQ(dep.wa.samples.squared_counts[0], static_cast<double>(squares));
        EXPECT_GT(pooled, 0);
    }
}

TEST(SamplingReports, CellsFileLayout) {
    Model seq("seq", 20, 16, 2, 3, 2);
    prepare_sample_units(seq.wa);
    draw_unit_positions(seq.wa);
    seq.wa.cell_counts.at(1, 1) = 5;    // in every unit
    seq.wa.cell_counts.at(6, 6) = 123;  // only in unit 3
    sample_species(seq.wa, 1);
    seq.wa.cell_counts.allocate(20, 0);
    seq.wa.cell_counts.at(3, 4) = 1;    // units 2 and 3
    sample_species(seq.wa, 2);
    const auto lines = sample_contents_lines(seq.wa);
    const std::vector<std::string> want = {
        " Area sequentially sampled",
        "              4      16      36 ",
        " Maximum number of niches per sample unit",
        "              4      16      36 ",
        "Species Data, each row is the sampling of one of the    2 species",
        "      1       5       5     128 ",
        "      2       0       1       1 ",
    };
    EXPECT_EQ(lines, want);

    Model dep("dep", 30, 8, 3, 2, 1);
    prepare_sample_units(dep.wa);
    dep.wa.samples.x = {7, 12};
    dep.wa.samples.y = {9, 3};
    const auto d = sample_contents_lines(dep.wa);
    ASSERT_GE(d.size(), 3u);
    EXPECT_EQ(d[0], " Coordinates of Cells");
    EXPECT_EQ(d[1], "              7      12 ");
    EXPECT_EQ(d[2], "              9       3 ");
}

TEST(SamplingReports, EveryPassWritesOneSampleRowAndEightAnalysisRows) {
    Model seq("seq", 20, 16, 2, 7, 4);
    seq.wa.params.minSa = 2;
    seq.wa.params.StepSa = 3;
    for (int x = 1; x <= 20; ++x)
        for (int y = 1; y <= 20; ++y) seq.wa.habitat.at(x, y) = static_cast<float>((x * 3 + y * 5) % 7);
    prepare_sample_units(seq.wa);
    seq.wa.offset = 2;
    draw_unit_positions(seq.wa);
    for (int k = 0; k < 4; ++k) seq.place(k);
    seq.wa.reports.sample.open(seq.io);
    seq.wa.reports.analysis.open(seq.io);
    seq.wa.reports.grid.open(seq.io);
    evaluate_samples(seq.wa);

    const auto sample = seq.report(seq.wa.reports.sample);
    ASSERT_EQ(sample.size(), 4u + 1u + 3u);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(tokens(sample[static_cast<std::size_t>(k)]).size(), 8u);
    EXPECT_EQ(tokens(sample[4])[0], "No.");
    const std::int64_t areas[] = {16, 100, 196};
    for (int p = 0; p < 3; ++p) {
        const auto t = tokens(sample[static_cast<std::size_t>(5 + p)]);
        ASSERT_EQ(t.size(), 11u);
        EXPECT_EQ(t[9], std::to_string(areas[p]));
        EXPECT_EQ(t[10], "4");  // the grain: unit 1 of side f
    }

    const auto analysis = seq.report(seq.wa.reports.analysis);
    ASSERT_EQ(analysis.size(), 3u * 8u + 4u);
    const std::size_t sizes[] = {2, 5, 7};
    for (int p = 0; p < 3; ++p) {
        const auto& first = analysis[static_cast<std::size_t>(8 * p)];
        EXPECT_EQ(first.size(), 7 * sizes[p]);
        EXPECT_EQ(tokens(first).back(), std::to_string(areas[p]));
        EXPECT_EQ(tokens(analysis[static_cast<std::size_t>(8 * p + 7)]).size(), 9u);
    }
    const auto grid = seq.report(seq.wa.reports.grid);
    ASSERT_EQ(grid.size(), 20u);
    EXPECT_EQ(tokens(grid[2]), (std::vector<std::string>{"3", std::to_string((3 * 3 + 3 * 5) % 7) + ".00000",
                                                         std::to_string((3 * 3 + 18 * 5) % 7) + ".00000"}));
}

namespace {

// Tallies of every unit and the squared counts of one species.
struct Tally {
    std::vector<std::int32_t> counts;
    double squares = 0.0;
    bool operator==(const Tally&) const = default;
};

Tally tally_of(Model& m, int sp, TallyMethod method) {
    sample_species(m.wa, sp, method);
    const SampleTables& t = m.wa.samples;
    Tally r;
    for (int u = 0; u < t.units; ++u) r.counts.push_back(t.counts[static_cast<std::size_t>(sp - 1) * t.units + u]);
    r.squares = t.squared_counts[static_cast<std::size_t>(sp - 1)];
    return r;
}

}  // namespace

// The nested and independent designs tally the occupied cells alone, from
// the placement's list of reached cells or from a sweep of the window; the
// summed-area tables serve as the reference on random fixtures: sparse and
// dense patterns, square offsets, factors, and counts far beyond the range
// in which squared counts stay exact in double precision.
TEST(SamplingTally, CellByCellEqualsSummedAreas) {
    std::uint32_t seed = 12345u;
    auto next = [&seed](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    int checked = 0, beyond_exact = 0;
    std::int64_t found = 0;
    for (const char* method : {"seq", "oct", "ind"})
        for (const int factor : {1, 3})
            for (const int fill_percent : {2, 40, 100})
                for (const std::int32_t most : {9, 2000000000}) {
                    const int areal = 29 + static_cast<int>(next(12));
                    const int sampa = 11 + static_cast<int>(next(static_cast<std::uint32_t>(areal - 11)));
                    Model m(method, areal, sampa, factor, 40, 2);
                    clamp_sample_size_to_design(m.wa.params);
                    prepare_sample_units(m.wa);
                    m.wa.offset = next(static_cast<std::uint32_t>(areal - sampa + 1));
                    draw_unit_positions(m.wa);
                    for (int sp = 1; sp <= 2; ++sp) {
                        std::vector<std::uint32_t> occupied;
                        for (std::size_t i = 0; i < m.wa.cell_counts.cells.size(); ++i) {
                            const bool filled = next(100) < static_cast<std::uint32_t>(fill_percent);
                            m.wa.cell_counts.cells[i] =
                                filled ? 1 + static_cast<std::int32_t>(next(static_cast<std::uint32_t>(most))) : 0;
                            if (filled) occupied.push_back(static_cast<std::uint32_t>(i));
                        }
                        const Tally reference = tally_of(m, sp, TallyMethod::summed_areas);
                        m.wa.reached = ReachedCells{};
                        const Tally swept = tally_of(m, sp, TallyMethod::automatic);
                        // The list as the placement leaves it, in the order the cells were reached.
                        std::reverse(occupied.begin(), occupied.end());
                        ReachedCells& r = m.wa.reached;
                        r.capacity = occupied.size() + 1;
                        r.cells = std::make_unique<std::uint32_t[]>(r.capacity);
                        std::copy(occupied.begin(), occupied.end(), r.cells.get());
                        r.count = occupied.size();
                        r.species = sp;
                        r.side = areal;
                        r.complete = true;
                        const Tally listed = tally_of(m, sp, TallyMethod::automatic);
                        EXPECT_EQ(swept, reference) << method << " f " << factor << " fill " << fill_percent;
                        EXPECT_EQ(listed, reference) << method << " f " << factor << " fill " << fill_percent;
                        for (const std::int32_t c : reference.counts) found += c;
                        if (reference.squares >= 9007199254740992.0) ++beyond_exact;
                        ++checked;
                    }
                }
    EXPECT_EQ(checked, 72);
    EXPECT_GT(found, 0);
    EXPECT_GT(beyond_exact, 0) << "the fixtures reach squared counts beyond 2^53";
}

// A list that belongs to another species, or is incomplete, is not used.
TEST(SamplingTally, ListOfAnotherSpeciesIsIgnored) {
    Model m("seq", 12, 10, 1, 10, 2);
    prepare_sample_units(m.wa);
    draw_unit_positions(m.wa);
    m.wa.cell_counts.at(2, 3) = 4;
    m.wa.cell_counts.at(9, 9) = 5;
    ReachedCells& r = m.wa.reached;
    r.capacity = 4;
    r.cells = std::make_unique<std::uint32_t[]>(r.capacity);
    r.cells[0] = 1 * 12 + 2;  // cell (2, 3) only
    r.count = 1;
    r.side = 12;
    r.complete = true;
    r.species = 1;  // but species 2 is tallied
    sample_species(m.wa, 2);
    EXPECT_EQ(m.wa.samples.count(1, 9), 9);
    r.species = 2;
    r.complete = false;
    sample_species(m.wa, 2);
    EXPECT_EQ(m.wa.samples.count(1, 9), 9);
    EXPECT_EQ(m.wa.samples.squared_counts[1], 41.0);
}
