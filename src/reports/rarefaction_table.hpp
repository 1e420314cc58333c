#pragma once
// rarefaction.csv: the rarefaction and extrapolation curves of Hill numbers
// of order q = 0, 1, 2 with their bootstrap intervals and the sample
// coverage, one row per curve, q and size, in the order q = 0, 1, 2 and
// rising size within each q.  The first column names the curve (`run`, the
// pass; for field data `assemblage`); the truth columns follow where the
// community is known.
#include <string>
#include <string_view>
#include <vector>

#include "core/io_seam.hpp"
#include "core/report_file.hpp"
#include "statistics/diversity_curve.hpp"
#include "statistics/true_diversity_curve.hpp"

namespace lorvenna {

// The columns: key, q, m, method, estimate, lower95, upper95, coverage,
// coverage_lower95, coverage_upper95 and with the truth true_value, true_coverage.
std::vector<std::string_view> rarefaction_columns(std::string_view key, bool with_truth);

// Creates the table of a session's passes (key `run`, with the truth) with its header row.
void open_rarefaction_table(ReportFile& file, Io& io);

// The rows of one curve.  `key` is the value of the first field (a run
// number, or an assemblage's name, quoted where CSV needs it); `truth` holds the true curve at the sizes of
// `curve`, or is null for a table without the truth columns.
void write_rarefaction_rows(ReportFile& file, std::string_view key, const std::vector<CurvePoint>& curve,
                            const std::vector<TrueCurvePoint>* truth);

}  // namespace lorvenna
