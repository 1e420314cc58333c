#pragma once
// Values derived from a freshly read parameter set, shared by the dialogue
// and the batch rows.
#include "work_area.hpp"

namespace lorvenna {

// Side of the midpoint-displacement grid for a requested side: 2^(trunc(lb side) + 1) + 1.
long long rmd_grid_side(long long side);
// When Fractal is "rmd": replaces Areal by the rmd side and prints "Gridsize rescaled to ".
void rescale_grid_for_rmd(WorkArea& wa);
// The "rmd" clamp of the fractal dimension to [2, 3].
void clamp_fractal_dimension(ParameterSet& p);
// Maximum individuals on the grid and the minimum abundance (individuals on the whole grid).
void derive_densities(WorkArea& wa);

}  // namespace lorvenna
