#pragma once
// What a short batch row keeps from the rows before it.
#include "data/parameters.hpp"

namespace lorvenna {

// A batch row with fewer than 32 fields keeps the remaining parameters of the
// previous pass, as that pass left them: the grid side after the rmd
// rescaling, the sample sizes held to the design, the species of a rank-order
// block, the weight classes fitted to the species, the Hurst exponent in
// place of an rmd fractal dimension, and the niche level in place of the mean
// number of niches.  (So a short row after an rmd row carries H, not D, and
// fails the check of the first fractal coefficient unless it gives Scale1.)
ParameterSet carried_parameters(const ParameterSet& given, const DerivedValues& used);

}  // namespace lorvenna
