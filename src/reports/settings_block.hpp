#pragma once
#include "data/pass.hpp"
#include "data/session.hpp"

namespace lorvenna {

// The four-line run settings block at the head of each run's section of
// Distribution.txt (and, when samples are taken, Sample.txt with the header of
// the per-species sample table, and Analysis.txt); then " No. of species per weight class".
void write_settings_block(ReportFiles& reports, const Pass& pass, bool sampling, bool later_run);

}  // namespace lorvenna
