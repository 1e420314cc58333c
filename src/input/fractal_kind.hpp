#pragma once
// The kind of fractal habitat grid a parameter set asks for.
#include "core/io_seam.hpp"
#include "data/parameters.hpp"

namespace lorvenna {

// A habitat heterogeneity above 0 with a kind other than "rmd", "dsq" or "super"
// (a typo such as "RMD") builds no grid: the habitat stays flat.  One console
// line says so, since every species would then be placed as on a flat grid.
void warn_if_no_fractal_grid(Io& io, const ParameterSet& p);

}  // namespace lorvenna
