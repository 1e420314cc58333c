#pragma once
// A community taken from a rank-order distribution file (sources "m" and "o").
#include "work_area.hpp"

namespace lorvenna {

// Turns the block last read into rank_order into the species table
// (weights, OrigInd), writes the weight-class line, sets community_built.
void build_community_from_rank_order(WorkArea& wa);

}  // namespace lorvenna
