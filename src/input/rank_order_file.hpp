#pragma once
// Rank-order distribution files (sources "m" and "o").
#include "work_area.hpp"

namespace lorvenna {

// Asks for the file, opens it and reads its head.
void open_rank_order_file(WorkArea& wa);
// Reads the next block into the rank-order table and sets Species.
void read_rank_order_block(WorkArea& wa);
// Positions the file for the next pass of a batch run.
void reposition_rank_order_file(WorkArea& wa);

}  // namespace lorvenna
