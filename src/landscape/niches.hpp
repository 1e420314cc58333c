#pragma once
// Niches per cell: a smooth periodic pattern fixed by the niche level K and
// the niche phase u0.
#include "work_area.hpp"

namespace lorvenna {

// Niche number of cell (x, y), raised to 1 when it comes out below 1.
std::int64_t niche_number(float level, float phase, std::int64_t x, std::int64_t y);

// Allocates and fills the niche table of the model.
void fill_niche_table(WorkArea& wa);

}  // namespace lorvenna
