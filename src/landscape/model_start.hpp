#pragma once
// The start of a model: fractal coefficient, niche level and phase,
// heterogeneity factor, superposition term count.
#include <optional>

#include "data/grids.hpp"
#include "data/parameters.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// Scale1 as the grid builders use it: for "rmd" and "dsq" the fractal
// dimension D becomes the Hurst exponent H = 3 - D; otherwise Scale1 itself.
float fractal_coefficient(const ParameterSet& p);
// The niche level K: half the mean number of niches per cell, to the nearest whole number.
float niche_level(const ParameterSet& p);

// Sets the model-start values of the derived values, drawing the niche phase
// and (unless RndHet is "rnd") the heterogeneity factor from the stream.
// With `given`, c takes that value in place of the one drawn.
void start_model(const ParameterSet& p, DerivedValues& d, RandomStream& random,
                 const std::optional<float>& given = std::nullopt);

}  // namespace lorvenna
