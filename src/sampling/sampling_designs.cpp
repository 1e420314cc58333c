#include "sampling/sampling_designs.hpp"

#include <algorithm>
#include <limits>

#include "landscape/niches.hpp"
#include "sampling/sample_contents.hpp"
#include "sampling/sample_units.hpp"
#include "statistics/community_statistics.hpp"
#include "statistics/grid_scaling.hpp"
#include "statistics/sample_statistics.hpp"
#include "statistics/species_area.hpp"

namespace lorvenna {
namespace {

int grid_side(const WorkArea& wa) {
    return wa.params.Areal > 0 ? wa.params.Areal : wa.cell_counts.side;
}

Window window_of(const WorkArea& wa) {
    return sampling_window(wa.params, wa.offset, grid_side(wa));
}

// Species rows that the species table and the sample tables both hold.
int species_rows(const WorkArea& wa) {
    const SampleTables& t = wa.samples;
    std::size_t rows = wa.species.size();
    if (t.units > 0) {
        rows = std::min(rows, t.counts.size() / static_cast<std::size_t>(t.units));
        rows = std::min(rows, t.squared_counts.size());
    }
    return static_cast<int>(rows);
}

SampleCounts counts_of(const WorkArea& wa) {
    return SampleCounts{wa.samples.counts.data(), species_rows(wa), wa.samples.units};
}

// Cells that every unit covers in the current geometry.
std::vector<std::int64_t> unit_cells(const WorkArea& wa) {
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    std::vector<std::int64_t> cells(static_cast<std::size_t>(wa.samples.units), 0);
    for (int i = 1; i <= wa.samples.units; ++i)
        cells[static_cast<std::size_t>(i - 1)] =
            unit_block(d, wa.params.Sampfac, wa.samples, w, i).cells();
    return cells;
}

// Areas and niches of the units for the sampled square where it lies now.
// "dep" and "lin" units not yet placed get the area of a block and no niches.
void refresh_units(WorkArea& wa) {
    SampleTables& t = wa.samples;
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    const int f = std::max(wa.params.Sampfac, 1);
    std::vector<std::int64_t> niche_sums;
    const float level = wa.derived.niche_level;
    const float phase = wa.derived.niche_phase;
    build_summed_area(niche_sums, std::max(w.side, 0), [&](int x, int y) {
        return niche_number(level, phase, w.offset + x, w.offset + y);
    });
    std::int64_t running = 0;
    for (int i = 1; i <= t.units; ++i) {
        const auto u = static_cast<std::size_t>(i - 1);
        const Block b = unit_block(d, f, t, w, i);
        const std::int64_t niches = block_sum(niche_sums, w.side, b);
        if (is_accumulating(d)) {
            const std::int64_t side = std::min(f, std::max(w.side, 0));
            t.area[u] = b.empty() ? side * side : b.cells();
            running += niches;
            t.niches[u] = running;
        } else {
            t.area[u] = unit_area(d, b, i);
            t.niches[u] = niches;
        }
    }
}

}  // namespace

void clamp_sample_size_to_design(ParameterSet& p) {
    const int bound = design_bound(design_of(p.Method), p.SampA, p.Sampfac);
    p.maxSa = std::min(p.maxSa, bound);
    if (p.maxSa < 1) p.maxSa = 1;
    p.minSa = std::min(p.minSa, p.maxSa);
}

void prepare_sample_units(WorkArea& wa) {
    SampleTables& t = wa.samples;
    t = SampleTables{};
    const int rows = static_cast<int>(wa.species.size());
    t.units = std::max(wa.params.maxSa, 1);
    const auto units = static_cast<std::size_t>(t.units);
    t.area.assign(units, 0);
    t.niches.assign(units, 0);
    t.x.assign(units, 0);
    t.y.assign(units, 0);
    t.counts.assign(static_cast<std::size_t>(rows) * units, 0);
    t.squared_counts.assign(static_cast<std::size_t>(rows), 0.0);
    refresh_units(wa);
}

void draw_unit_positions(WorkArea& wa) {
    SampleTables& t = wa.samples;
    if (t.units < 1) return;
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    const int f = std::max(wa.params.Sampfac, 1);
    const auto off = static_cast<int>(w.offset);
    if (d == Design::random_dependent) {
        for (std::size_t u = 0; u < static_cast<std::size_t>(t.units); ++u) {
            t.x[u] = off + dependent_start(wa.random.uniform(), w.square, f);
            t.y[u] = off + dependent_start(wa.random.uniform(), w.square, f);
        }
    } else if (d == Design::diagonal) {
        for (int i = 1; i <= t.units; ++i) {
            const int r = off + diagonal_start(i, w.square, f);
            t.x[static_cast<std::size_t>(i - 1)] = r;
            t.y[static_cast<std::size_t>(i - 1)] = r;
        }
    }
    refresh_units(wa);
}

void sample_species(WorkArea& wa, int sp) {
    SampleTables& t = wa.samples;
    const int k = sp - 1;
    if (k < 0 || k >= species_rows(wa) || t.units < 1) return;
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    if (w.side < 1) return;

    // Summed-area tables of the species' counts and squared counts over the window.
    const SquareArray<std::int32_t>& grid = wa.cell_counts;
    const std::size_t s = static_cast<std::size_t>(w.side) + 1;
    t.summed.assign(s * s, 0);
    t.summed_squares.assign(s * s, 0.0);
    for (int x = 1; x <= w.side; ++x) {
        const std::int64_t gx = w.offset + x;
        std::int64_t row = 0;
        double row_squares = 0.0;
        for (int y = 1; y <= w.side; ++y) {
            const std::int64_t gy = w.offset + y;
            const std::int64_t c = (gx <= grid.side && gy <= grid.side)
                                       ? grid.at(static_cast<int>(gx), static_cast<int>(gy))
                                       : 0;
            row += c;
            row_squares += static_cast<double>(c) * static_cast<double>(c);
            const std::size_t at = static_cast<std::size_t>(x) * s + static_cast<std::size_t>(y);
            const std::size_t above = static_cast<std::size_t>(x - 1) * s + static_cast<std::size_t>(y);
            t.summed[at] = t.summed[above] + row;
            t.summed_squares[at] = t.summed_squares[above] + row_squares;
        }
    }

    double& squares = t.squared_counts[static_cast<std::size_t>(k)];
    squares = 0.0;
    for (int i = 1; i <= t.units; ++i) {
        const Block b = unit_block(d, wa.params.Sampfac, t, w, i);
        const std::int64_t c = block_sum(t.summed, w.side, b);
        t.count(k, i - 1) = static_cast<std::int32_t>(
            std::min<std::int64_t>(c, std::numeric_limits<std::int32_t>::max()));
        const double q = block_sum(t.summed_squares, w.side, b);
        if (is_nested(d)) {
            if (i == t.units) squares = q;  // the largest unit is the sample
        } else {
            squares += q;                   // the units are pooled
        }
    }
}

void evaluate_samples(WorkArea& wa) {
    SampleTables& t = wa.samples;
    if (t.units < 1) return;
    const Design d = design_of(wa.params.Method);
    const int rows = species_rows(wa);
    const SampleCounts counts = counts_of(wa);
    const std::vector<std::int64_t> cells = unit_cells(wa);

    if (wa.reports.cells.is_open())
        for (const std::string& line : sample_contents_lines(wa)) wa.reports.cells.line(line);

    // The per-species table of the whole sample (all units).
    const std::vector<double> whole = sample_abundances(d, counts, t.units);
    const auto whole_cells = static_cast<double>(cells_sampled(d, cells, t.units));
    std::vector<double> densities;
    for (int k = 0; k < rows; ++k) {
        densities.clear();
        for (int u = 0; u < t.units; ++u)
            if (cells[static_cast<std::size_t>(u)] > 0)
                densities.push_back(counts.at(k, u) /
                                    static_cast<double>(cells[static_cast<std::size_t>(u)]));
        const auto uk = static_cast<std::size_t>(k);
        const SpeciesSample s =
            species_sample(whole[uk], t.squared_counts[uk], whole_cells, densities);
        SpeciesRow& row = wa.species[uk];
        row.sample_column = static_cast<float>(whole[uk]);
        wa.reports.sample.line(species_sample_line(row.number, row.weight, s));
    }

    wa.reports.sample.line(sample_statistics_header());
    std::vector<float> weights(static_cast<std::size_t>(rows));
    int assemblage = 0;
    for (int k = 0; k < rows; ++k) {
        const SpeciesRow& row = wa.species[static_cast<std::size_t>(k)];
        weights[static_cast<std::size_t>(k)] = row.weight;
        if (row.assigned > 0.0f) ++assemblage;
    }

    std::vector<int> order(static_cast<std::size_t>(t.units));
    for (int u = 0; u < t.units; ++u) order[static_cast<std::size_t>(u)] = u;
    const int passes = is_reshuffled(d) ? std::max(wa.params.Permut, 1) : 1;
    for (const int n : sample_size_series(wa.params.minSa, wa.params.StepSa, t.units)) {
        std::vector<double> credited(static_cast<std::size_t>(n), 0.0);
        for (int r = 0; r < passes; ++r) {
            if (is_reshuffled(d)) exchange_units(wa.random, order, n, t.units);
            credit_first_units(counts, n, order, credited);
        }
        for (double& c : credited) c /= passes;

        const CommunityStatistics stats =
            community_statistics(weights, sample_abundances(d, counts, n), wa.params.DivInd);
        wa.reports.sample.line(
            sample_statistics_line(stats, is_nested(d), cells_sampled(d, cells, n), cells[0]));

        const SpeciesAreaRows analysis =
            species_area_rows(d, counts, t.area, t.niches, n, order, credited, assemblage);
        for (const std::string& line : analysis_lines(analysis)) wa.reports.analysis.line(line);
    }

    // Scaling of the habitat along the two diagonals of the grid.
    const int L = wa.habitat.side;
    std::vector<double> first(static_cast<std::size_t>(std::max(L, 0)));
    std::vector<double> second(first.size());
    for (int i = 1; i <= L; ++i) {
        first[static_cast<std::size_t>(i - 1)] = wa.habitat.at(i, i);
        second[static_cast<std::size_t>(i - 1)] = wa.habitat.at(i, L - i + 1);
        if (wa.reports.grid.is_open())
            wa.reports.grid.line(grid_line(i, first[static_cast<std::size_t>(i - 1)],
                                           second[static_cast<std::size_t>(i - 1)]));
    }
    for (const std::string& line : scaling_lines(scale_diagonals(first, second)))
        wa.reports.analysis.line(line);
}

}  // namespace lorvenna
