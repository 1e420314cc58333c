#include "sampling/design_context.hpp"

#include <algorithm>
#include <cstddef>

namespace lorvenna::detail {

int species_rows(const SampleTables& t, std::size_t species) {
    std::size_t rows = species;
    if (t.units > 0) {
        rows = std::min(rows, t.counts.size() / static_cast<std::size_t>(t.units));
        rows = std::min(rows, t.squared_counts.size());
    }
    return static_cast<int>(rows);
}

SampleCounts counts_of(const SampleTables& t, int rows) { return SampleCounts{t.counts.data(), rows, t.units}; }

std::vector<std::int64_t> unit_cells(const SamplingFrame& f, const SampleTables& t) {
    const Window w = sampling_window(f);
    std::vector<std::int64_t> cells(static_cast<std::size_t>(t.units), 0);
    for (int i = 1; i <= t.units; ++i)
        cells[static_cast<std::size_t>(i - 1)] = unit_block(f.design, f.factor, t, w, i).cells();
    return cells;
}

}  // namespace lorvenna::detail
