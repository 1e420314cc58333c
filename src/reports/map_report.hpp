#pragma once
// Map.txt: the cell counts of the chosen species over the sampled square.
#include <string>

#include "core/report_file.hpp"
#include "work_area.hpp"

namespace lorvenna {

// Writes the map when the species at table position sp is the one asked for,
// then closes the file: one map per session.
void write_species_map(ReportFile& map, const WorkArea& wa, int sp);

// A range centre as the map shows it: the nearest whole number in three
// columns followed by its decimal point ("  5."); "****" when it does not fit.
std::string centre_field(float value);

}  // namespace lorvenna
