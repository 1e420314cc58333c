#include "reports/grid_report.hpp"

#include "numerics/fixed_field.hpp"

namespace lorvenna {

void write_grid_header(ReportFile& grid) {
    grid.line("Maximum number of individuals that can be placed into the cells of both grid diagonals at each placing step");
    grid.line("  Cell 1. Diagonal 2. Diagonal");
}

void write_grid_rows(ReportFile& grid, const DiagonalProfiles& diagonals) {
    if (!grid.is_open()) return;
    for (std::size_t i = 0; i < diagonals.first.size(); ++i)
        grid.line(int_field(static_cast<std::int64_t>(i + 1), 6) + real_field(diagonals.first[i], 12, 5) +
                  real_field(diagonals.second[i], 12, 5));
}

}  // namespace lorvenna
