#pragma once
// What every part of the sampling designs reads of the session: the window
// of the sampled square, the species rows of the sample tables and the cells
// each unit covers.
#include <cstdint>
#include <vector>

#include "sampling/sample_units.hpp"
#include "work_area.hpp"

namespace lorvenna::detail {

// Side of the grid, or the side of the cell counts without one.
int grid_side(const WorkArea& wa);

// The sampled square where it lies now.
Window window_of(const WorkArea& wa);

// Species rows that the species table and the sample tables both hold.
int species_rows(const WorkArea& wa);

// The sample counts of those rows.
SampleCounts counts_of(const WorkArea& wa);

// Cells that every unit covers in the current geometry.
std::vector<std::int64_t> unit_cells(const WorkArea& wa);

}  // namespace lorvenna::detail
