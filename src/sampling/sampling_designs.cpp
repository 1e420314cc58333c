// The sample units of the designs: their positions, areas and niches.
#include "sampling/sampling_designs.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "landscape/niches.hpp"
#include "sampling/design_context.hpp"
#include "sampling/sample_units.hpp"
#include "sampling/unit_slots.hpp"

namespace lorvenna {

using namespace detail;

namespace {

// Niches of every unit of the nested and independent designs, gathered row by row.
std::vector<std::int64_t> niches_by_cells(const UnitSlots& slots, const Window& w, float level, float phase) {
    std::vector<std::int64_t> sums(slots.slots(), 0);
    const int side = std::max(w.side, 0);
    const NicheRows rows(level, phase, w.offset + 1, side);
    std::vector<std::int64_t> row(static_cast<std::size_t>(side));
    for (int x = 1; x <= side; ++x) {
        rows.row(w.offset + x, row.data());
        for (int y = 1; y <= side; ++y) sums[slots.slot(x, y)] += row[static_cast<std::size_t>(y - 1)];
    }
    sums[0] = 0;
    slots.settle(sums);
    std::vector<std::int64_t> niches(static_cast<std::size_t>(slots.units()), 0);
    for (int i = 1; i <= slots.units(); ++i)
        niches[static_cast<std::size_t>(i - 1)] = sums[slots.unit_slot(i)];
    return niches;
}

// Areas and niches of the units for the sampled square where it lies now.
// "dep" and "lin" units not yet placed get the area of a block and no niches.
void refresh_units(SampleTables& t, const SamplingFrame& frame) {
    const Design d = frame.design;
    const Window w = sampling_window(frame);
    const int f = std::max(frame.factor, 1);
    const float level = frame.niche_level;
    const float phase = frame.niche_phase;
    const int side = std::max(w.side, 0);
    // Nested and independent units from the cells directly; the blocks of
    // "dep" and "lin" lie anywhere and may overlap: a summed-area table.
    std::vector<std::int64_t> unit_niches;
    std::vector<std::int64_t> niche_sums;
    if (!is_accumulating(d)) {
        unit_niches = niches_by_cells(UnitSlots(d, f, t, w), w, level, phase);
    } else {
        // Built row by row (x outer, y inner): each row's niche numbers at once.
        const NicheRows rows(level, phase, w.offset + 1, side);
        std::vector<std::int64_t> row(static_cast<std::size_t>(side));
        int row_x = 0;
        build_summed_area(niche_sums, side, [&](int x, int y) {
            if (x != row_x) {
                rows.row(w.offset + x, row.data());
                row_x = x;
            }
            return row[static_cast<std::size_t>(y - 1)];
        });
    }
    std::int64_t running = 0;
    for (int i = 1; i <= t.units; ++i) {
        const auto u = static_cast<std::size_t>(i - 1);
        const Block b = unit_block(d, f, t, w, i);
        const std::int64_t niches = is_accumulating(d) ? block_sum(niche_sums, w.side, b) : unit_niches[u];
        if (is_accumulating(d)) {
            const std::int64_t side = std::min(f, std::max(w.side, 0));
            t.area[u] = b.empty() ? side * side : b.cells();
            // Cumulative niches of many large blocks: held at the largest count rather than overflowing.
            running = niches > std::numeric_limits<std::int64_t>::max() - running ? std::numeric_limits<std::int64_t>::max()
                                                                                  : running + niches;
            t.niches[u] = running;
        } else {
            t.area[u] = unit_area(d, b, i);
            t.niches[u] = niches;
        }
    }
}

}  // namespace

SampleSizes clamped_sample_sizes(const ParameterSet& p) {
    const int bound = design_bound(p.Method.kind(), p.SampA, p.Sampfac);
    SampleSizes s;
    s.max = std::min(p.maxSa, bound);
    if (s.max < 1) s.max = 1;
    s.min = std::min(p.minSa, s.max);
    return s;
}

SamplingFrame sampling_frame(const ParameterSet& p, const DerivedValues& d, const Grids& grids) {
    SamplingFrame f;
    f.design = p.Method.kind();
    f.factor = p.Sampfac;
    f.square_side = p.SampA;
    f.offset = grids.square.offset;
    f.grid_side = d.grid_side > 0 ? d.grid_side : grids.cell_counts.side;
    f.niche_level = d.niche_level;
    f.niche_phase = d.niche_phase;
    f.min_sample = d.min_sample;
    f.step = p.StepSa;
    f.max_sample = d.max_sample;
    f.reshufflings = p.Permut;
    f.index = p.DivInd.kind();
    return f;
}

void prepare_sample_units(SampleTables& t, const SamplingFrame& f, int species_rows) {
    t = SampleTables{};
    const int rows = species_rows;
    t.units = std::max(f.max_sample, 1);
    const auto units = static_cast<std::size_t>(t.units);
    t.area.assign(units, 0);
    t.niches.assign(units, 0);
    t.x.assign(units, 0);
    t.y.assign(units, 0);
    t.counts.assign(static_cast<std::size_t>(rows) * units, 0);
    t.squared_counts.assign(static_cast<std::size_t>(rows), 0.0);
    t.in_square.assign(static_cast<std::size_t>(rows), 0);
    refresh_units(t, f);
}

void draw_unit_positions(SampleTables& t, const SamplingFrame& frame, RandomStream& random) {
    if (t.units < 1) return;
    const Design d = frame.design;
    const Window w = sampling_window(frame);
    const int f = std::max(frame.factor, 1);
    const auto off = static_cast<int>(w.offset);
    if (d == Design::random_dependent) {
        for (std::size_t u = 0; u < static_cast<std::size_t>(t.units); ++u) {
            t.x[u] = off + dependent_start(random.uniform(), w.square, f);
            t.y[u] = off + dependent_start(random.uniform(), w.square, f);
        }
    } else if (d == Design::diagonal) {
        for (int i = 1; i <= t.units; ++i) {
            const int r = off + diagonal_start(i, w.square, f);
            t.x[static_cast<std::size_t>(i - 1)] = r;
            t.y[static_cast<std::size_t>(i - 1)] = r;
        }
    }
    refresh_units(t, frame);
}

}  // namespace lorvenna
