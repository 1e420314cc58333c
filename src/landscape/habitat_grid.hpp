#pragma once
// The fractal habitat surface: random midpoint displacement ("rmd") or
// superposition of periodic terms ("super").
#include "data/grids.hpp"
#include "data/parameters.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// Builds the grid of the kind Fractal names on the pass's grid side (no build
// for any other kind).  Each build starts from an all-zero grid.
void build_habitat_grid(SquareArray<float>& habitat, const ParameterSet& p, const DerivedValues& d,
                        RandomStream& random);
void build_rmd_grid(SquareArray<float>& habitat, const ParameterSet& p, const DerivedValues& d, RandomStream& random);
void build_dsq_grid(SquareArray<float>& habitat, const ParameterSet& p, const DerivedValues& d, RandomStream& random);
void build_super_grid(SquareArray<float>& habitat, const ParameterSet& p, const DerivedValues& d,
                      RandomStream& random);

// base^exponent in single precision by repeated squaring.
float integer_power(float base, int exponent);

}  // namespace lorvenna
