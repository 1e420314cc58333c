#pragma once
// Cells.txt: the design header with the unit areas or coordinates, the niches
// of the units and the individuals of every species in every unit.
#include "core/report_file.hpp"
#include "data/pass.hpp"

namespace lorvenna {

// Writes the contents of the sample units of the pass, when Cells.txt is open.
void write_sample_contents(ReportFile& cells, const Pass& pass);

}  // namespace lorvenna
