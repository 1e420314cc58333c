#pragma once
// estimates.csv of a user's own field data (lorvenna estimate): the
// estimators of one assemblage with their standard errors and 95 % intervals,
// in the rows and order of a pass's estimates.csv but for the one basis the
// data give (abundance, or incidence over the sampling units) and without
// the truth, which field data do not know.  The first column names the
// assemblage in place of the pass.
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/io_seam.hpp"
#include "core/report_file.hpp"
#include "statistics/frequency_data.hpp"

namespace lorvenna {

// assemblage, n_units, quantity, basis, estimator, estimate, se, lower95, upper95.
std::vector<std::string_view> field_estimate_columns();

// Creates the table with its header row.
void open_field_estimates(ReportFile& file, Io& io);

// The rows of one assemblage: the ten richness estimators of its basis, the
// Hill numbers of order 1 and 2 observed and estimated, and the estimated
// coverage.  `presence` (raw incidence only: the species found in each unit)
// gives the standard error of the bootstrap estimator; `bootstraps`
// replicates from a generator seeded by `seed` give the intervals of the Hill
// numbers and the coverage (0: none).  n_units is T for incidence, NA for
// abundance.
void write_field_estimates(ReportFile& file, std::string_view assemblage, const FrequencyCounts& counts,
                           const std::vector<std::vector<int>>* presence, int bootstraps, std::uint64_t seed);

}  // namespace lorvenna
