#pragma once
// Placement of individuals: the species order, range centres along the
// habitat gradient, clumped placing under niche limits, the species map.
#include <string>

#include "work_area.hpp"

namespace lorvenna {

// The mode-s header of the species rows in Distribution.txt.
void write_placement_header(WorkArea& wa);
// Random reordering of the species table before placement.
void shuffle_species(WorkArea& wa);
// Allocates the cell counts of the model.
void prepare_placement(WorkArea& wa);
// Places every individual of the species at table position sp (1-based):
// rebuilds the grid and redraws c as the parameters ask, draws the range centre,
// runs the placing loop and records AssInd.
void place_species(WorkArea& wa, int sp);
// Draws the offset of the sampled square (once per model, after the first species).
void draw_sampled_square(WorkArea& wa);
// Writes Map.txt when the species at position sp is the chosen one.
void write_species_map(WorkArea& wa, int sp);
// The species rows under the placement header, once the samples are evaluated.
void write_placement_rows(WorkArea& wa);
// A range centre as the map shows it: the nearest whole number in three
// columns followed by its decimal point ("  5."); "****" when it does not fit.
std::string centre_field(float value);

}  // namespace lorvenna
