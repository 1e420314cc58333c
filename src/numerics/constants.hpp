#pragma once
// The constants of the model, each written once.  Several are single-precision
// values of familiar numbers (ln 2, 2 pi, pi) that the model uses as they are,
// so they are not the exact constants: a result depends on their last bit.
#include <cstdint>

namespace lorvenna {

// ln 2 rounded to single precision (0.693147182...): the divisor of every
// base-2 logarithm, of the rmd grid side and of the octave bound.
inline constexpr float ln2_single = 0.6931472f;
// ln 2 to six digits: the bound 2^Class of the density-weight values is exp(Class * this).
inline constexpr float ln2_six_digits = 0.693147f;
// 2 pi to six digits in single precision: Box-Muller angles and the class frequencies.
inline constexpr float two_pi_single = 6.28318f;
// pi to six digits in single precision: the phase and the period of the superposition grid.
inline constexpr float pi_single = 3.14159f;
// 2 / pi to six digits: the arc-tangent scaling of Smith and Wilson's Evar.
inline constexpr double two_over_pi = 0.636620;
// The smallest first uniform of a normal deviate, so that ln u1 stays finite.
inline constexpr float normal_floor = 1.0e-9f;
// Individuals the grid may hold when no maximum density is given.
inline constexpr float default_max_individuals = 1.0e8f;
// Minimum abundance when neither density is given.
inline constexpr float vanishing_min_abundance = 1.0e-12f;
// Most individuals a cell or sample count holds, and most species a cell takes: 2^31 - 1.
inline constexpr std::int64_t count_limit = 2147483647;
// Largest number of weight classes.
inline constexpr int max_weight_classes = 50;
// Largest number of rows in a rank-order block.
inline constexpr int rank_order_rows = 10000;

}  // namespace lorvenna
