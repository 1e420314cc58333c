#pragma once
// Rarefaction and extrapolation of Hill numbers of order 0, 1, 2 and of the
// sample coverage along sample size, as iNEXT 3.0.2's size-based table
// (Chao et al. 2014, Ecol. Monogr. 84: 45-67; Chao and Jost 2012): m
// individuals for abundance data, t units for incidence data.
//
// Interpolation (m < n), with the hypergeometric number K_i of species i in
// a subsample of m drawn without replacement from the n of the sample:
//   q = 0: sum_i (1 - C(n - x_i, m) / C(n, m))
//   q = 1: exp(-sum_i E[(K_i/m) ln(K_i/m)])      (incidence: K_i / U_t, U_t = t U/T)
//   q = 2: 1 / sum_i E[(K_i/m)^2]                 (incidence: m^2 -> U_t^2)
//   coverage: 1 - sum_i x_i/n C(n - x_i, m) / C(n - 1, m)  (incidence: Y_i/U, T)
// At the sample size itself the observed values; beyond it (extrapolation)
//   q = 0, 1: D_obs + (D_asy - D_obs)(1 - (1 - b)^(m - n)),
//             b = (D_obs - D_{n-1}) / (D_asy - D_{n-1}) (0 where D_asy = D_{n-1}),
//             D_asy the estimated Hill number (hill_numbers.hpp), D_{n-1} the
//             interpolated value at n - 1;
//   q = 2:    1 / (1/m + (1 - 1/m) sum x(x-1)/(n(n-1)))
//             (incidence: 1 / ((1/t)(T/U) + (1 - 1/t) sum Y(Y-1)/(U^2 (1 - 1/T))));
//   coverage: 1 - f1/n A^(m - n + 1), A = n f0 / (n f0 + f1).
//
// E[K_i ln K_i] is k_log_k_expectation.hpp's: the exact sum for a mean below
// 10^4, the expansion in the moments of K_i beyond, so the cost of a size is
// bounded whatever the sample.  Species with the same count are one term
// (frequency counts).
//
// Intervals: B bootstrap samples of the bootstrap community
// (bootstrap_community.hpp) with the caller's seed; each point's se is the
// standard deviation of its B values, the interval value -+ 1.959964 se, with
// lower bounds below 0 set to 0 and coverage bounds held within [0, 1], as
// iNEXT does.  B = 0: the intervals are NaN.
#include <array>
#include <cstdint>
#include <vector>

#include "statistics/frequency_data.hpp"

namespace lorvenna {

// iNEXT's sizes: with an endpoint beyond the reference size n, floor(K/2) - 1
// sizes evenly from 1 to n - 1, n itself and floor(K/2) sizes evenly from n + 1
// to the endpoint; otherwise K sizes evenly from 1 to the endpoint; each taken
// down to a whole number, the first set to 1, repeats dropped.  R's seq()
// arithmetic is followed to the last bit so the knots are iNEXT's.
std::vector<std::int64_t> curve_sizes(std::int64_t reference, std::int64_t endpoint, int knots);

enum class CurvePart { interpolated, observed, extrapolated };

struct CurvePoint {
    std::int64_t size = 0;
    CurvePart part = CurvePart::interpolated;
    std::array<double, 3> diversity{};  // q = 0, 1, 2
    double coverage = 0.0;
    std::array<double, 3> lower95{}, upper95{};
    double coverage_lower95 = 0.0, coverage_upper95 = 0.0;
};

// The curve at the given sizes (each >= 1), with B bootstrap replicates.
std::vector<CurvePoint> diversity_curve(const FrequencyCounts& counts, const std::vector<std::int64_t>& sizes,
                                        int replicates, std::uint64_t seed);

}  // namespace lorvenna
