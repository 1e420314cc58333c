#pragma once
// The fractal habitat surface: random midpoint displacement ("rmd") or
// superposition of periodic terms ("super").
#include "work_area.hpp"

namespace lorvenna {

// Builds the grid of the kind Fractal names (no build for any other kind).
void build_habitat_grid(WorkArea& wa);
void build_rmd_grid(WorkArea& wa);
void build_super_grid(WorkArea& wa);

// base^exponent in single precision by repeated squaring.
float integer_power(float base, int exponent);

}  // namespace lorvenna
