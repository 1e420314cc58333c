#pragma once
// The generated community: weight classes, body weights, densities with
// fluctuations and the species table.
#include "work_area.hpp"

namespace lorvenna {

// Fills the species table from the parameter set and the random stream (source "g").
// Writes the weight-class line under "No. of species per weight class" and, in a
// model-only run, the species table to Distribution.txt.  After "Error while
// assigning the weight-classes" or "Error with the DWD-function" it leaves
// derived.community_built false and the species table empty.
void build_community(WorkArea& wa);

}  // namespace lorvenna
