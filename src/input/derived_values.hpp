#pragma once
// Values derived from a freshly read parameter set, shared by the dialogue
// and the batch rows.
#include "core/io_seam.hpp"
#include "data/parameters.hpp"

namespace lorvenna {

// Side of the midpoint-displacement grid for a requested side: 2^(trunc(lb side) + 1) + 1.
long long rmd_grid_side(long long side);
// The grid side of the pass: Areal, or the rmd side when Fractal is "rmd" or "dsq"
// (held to the largest int beyond any grid that could be stored).
int grid_side_for(const ParameterSet& p);
// "Gridsize rescaled to " with the new side twice.
void print_rescaling(Io& io, int side);
// The "rmd" and "dsq" clamp of the fractal dimension to [2, 3], applied to the value as read.
void clamp_fractal_dimension(ParameterSet& p);
// Maximum individuals on the grid and the minimum abundance (individuals on the whole grid).
void derive_densities(const ParameterSet& p, DerivedValues& d);
// maxSa and minSa of the pass: held to the design in a sampling run (and in
// every batch row), as given otherwise.
void derive_sample_sizes(const ParameterSet& p, DerivedValues& d, bool clamp_to_design);

}  // namespace lorvenna
