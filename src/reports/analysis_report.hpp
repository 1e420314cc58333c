#pragma once
// Analysis.txt: the legend at its head, rows 1 to 8 of every sample-size
// pass and rows 9 to 12, the scaling of the habitat along the grid diagonals.
#include "core/report_file.hpp"
#include "landscape/habitat_scaling.hpp"
#include "sampling/sample_size_tally.hpp"

namespace lorvenna {

void write_analysis_legend(ReportFile& analysis);
void write_sample_size_rows(ReportFile& analysis, const SpeciesAreaRows& rows);
void write_scaling_rows(ReportFile& analysis, const ScalingAnalysis& scaling);

}  // namespace lorvenna
