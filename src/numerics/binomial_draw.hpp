#pragma once
// Exact binomial and multinomial deviates for resampling, in time that does
// not grow with the number of trials.
//
// binomial_draw: Binomial(n, p).  With n min(p, 1 - p) < 10 the inverse of the
// distribution function is searched from 0 (the expected number of steps is
// the mean, below 10); otherwise Hormann's (1993) BTRD transformed rejection
// with decomposition, exact, about 1.2 uniform pairs a deviate whatever n is.
// p <= 0 gives 0 and p >= 1 gives n; p > 1/2 draws the failures.
//
// multinomial_draw: Multinomial(n, p_1..p_S) by conditional binomials:
// x_i ~ Binomial(n - x_1 - .. - x_{i-1}, p_i / (p_i + .. + p_S)), O(S) and no
// allocation (the caller owns the output).
#include <cstdint>
#include <vector>

#include "numerics/resampling_generator.hpp"

namespace lorvenna {

std::int64_t binomial_draw(std::int64_t trials, double p, ResamplingGenerator& generator);

// `counts` is resized to probabilities.size(); probabilities need not sum to 1
// (they are taken relative to their sum).
void multinomial_draw(std::int64_t trials, const std::vector<double>& probabilities,
                      ResamplingGenerator& generator, std::vector<std::int64_t>& counts);

}  // namespace lorvenna
