#pragma once
// Grid.txt: the habitat values along the two grid diagonals.
#include "core/report_file.hpp"
#include "landscape/habitat_scaling.hpp"

namespace lorvenna {

void write_grid_header(ReportFile& grid);
// One row per cell index of the diagonals: the index and the habitat values on both.
void write_grid_rows(ReportFile& grid, const DiagonalProfiles& diagonals);

}  // namespace lorvenna
