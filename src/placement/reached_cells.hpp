#pragma once
// The list of cells a species reaches, kept while it is placed so that the
// next species and the tallies of the samples need not sweep the whole grid.
#include <cstddef>

#include "work_area.hpp"

namespace lorvenna::detail {

// Most entries of the list of reached cells: an eighth of the grid.  A
// species that reaches more cells costs at least as many placing steps, so a
// sweep of the whole grid after it is cheap by comparison.
std::size_t reached_capacity(int side);

// Puts the counts (and, under a niche limit, the counted marks) of the cells
// the previous species reached back to zero, and starts the list of the next.
void reset_reached(WorkArea& wa, bool limited);

}  // namespace lorvenna::detail
