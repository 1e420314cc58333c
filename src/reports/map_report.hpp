#pragma once
// Map.txt: the cell counts of the chosen species over the sampled square.
#include <string>

#include "core/report_file.hpp"
#include "data/pass.hpp"

namespace lorvenna {

// Writes the map when the species at table position sp is the one asked for
// (`map_species`), then closes the file: one map per session.
void write_species_map(ReportFile& map, const Pass& pass, float map_species, int sp);

// A range centre as the map shows it: the nearest whole number in three
// columns followed by its decimal point ("  5."); "****" when it does not fit.
std::string centre_field(float value);

}  // namespace lorvenna
