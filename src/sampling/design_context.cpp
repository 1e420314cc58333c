#include "sampling/design_context.hpp"

#include <algorithm>
#include <cstddef>

namespace lorvenna::detail {

int grid_side(const WorkArea& wa) {
    return wa.derived.grid_side > 0 ? wa.derived.grid_side : wa.cell_counts.side;
}

Window window_of(const WorkArea& wa) {
    return sampling_window(wa.params, wa.offset, grid_side(wa));
}

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

std::vector<std::int64_t> unit_cells(const WorkArea& wa) {
    const Design d = wa.params.Method.kind();
    const Window w = window_of(wa);
    std::vector<std::int64_t> cells(static_cast<std::size_t>(wa.samples.units), 0);
    for (int i = 1; i <= wa.samples.units; ++i)
        cells[static_cast<std::size_t>(i - 1)] =
            unit_block(d, wa.params.Sampfac, wa.samples, w, i).cells();
    return cells;
}

}  // namespace lorvenna::detail
