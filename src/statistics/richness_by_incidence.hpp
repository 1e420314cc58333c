#pragma once
// Species richness estimated from incidence data (T sampling units and the
// units each observed species occurs in), with standard errors and 95 %
// intervals as SpadeR 0.1.1's ChaoSpecies(datatype = "incidence_freq",
// k = 10, conf = 0.95) computes them, in this order:
//   observed     S (no standard error, no interval)
//   homogeneous  Lee and Chao (1994) with equal detectability:
//                S_freq + S_infreq / C_infreq, C_infreq = 1 - Q1 / U_infreq (1 - A)
//   chao2        Chao (1987) with the factor (T - 1)/T
//   chao2_bc     S + (T-1)/T Q1 (Q1 - 1) / (2 (Q2 + 1))
//   ichao2       Chiu et al. (2014), the incidence form with (T-3)/T and (T-3)/(T-1)
//   ice, ice1    Lee and Chao (1994), cut-off k = 10 between infrequent and
//                frequent species; ice1 with the corrected CV
//   jack1, jack2 first- and second-order jackknife
//   bootstrap    Smith and van Belle (1984) as in vegan's specpool
// with A = 2 Q2 / ((T-1) Q1 + 2 Q2) (Q2 > 0), 2 / ((T-1)(Q1-1) + 2) (Q2 = 0,
// Q1 > 0), 1 otherwise.  The derivatives of C_infreq in the variances of
// homogeneous, ice and ice1 are those of the Q2 > 0 form of A, as SpadeR
// takes them for every data set.  The point estimates of chao2, the
// jackknives and bootstrap come from estimate_richness
// (richness_estimators.hpp).
//
// The standard error of bootstrap is vegan's,
//   var = sum_i q_i (1 - q_i) + 2 sum_{i<j} [(Z_ij / T)^T - q_i q_j],  q_i = (1 - Y_i/T)^T,
// with Z_ij the units holding neither species i nor j: it needs which units
// hold which species, so it is NaN unless the presence matrix is given.  Its
// interval is the log-transformed one.
//
// Edge cases, beside those of richness_by_abundance.hpp:
//   - one unit (T = 1): estimators with (T-1)/T give S, ice, ice1 and jack2
//     are NaN (no replication), every standard error and interval is NaN;
//   - no infrequent species (U_infreq = 0): homogeneous, ice and ice1 give S
//     with the observed-count interval (SpadeR: no result);
//   - Q1 = 0: the derivative of C_infreq is 0 (SpadeR divides 0 by 0);
//   - no Q4 for ichao2: Q4 is taken as 1 in the derivatives as in the estimate;
//   - jack2 below S: S with the observed-count interval (SpadeR would give an
//     interval below S here).
#include <array>
#include <cstdint>
#include <vector>

#include "statistics/frequency_data.hpp"
#include "statistics/interval_estimate.hpp"
#include "statistics/presence_matrix.hpp"
#include "statistics/richness_by_abundance.hpp"

namespace lorvenna {

std::array<NamedEstimate, 10> richness_from_incidence(const FrequencyCounts& counts);

// The same with the presence matrix: presence[u] lists the species (indices
// into the caller's species list, any order) found in unit u; it gives the
// standard error of bootstrap.  The frequency counts must be those of the matrix.
std::array<NamedEstimate, 10> richness_from_incidence(const FrequencyCounts& counts,
                                                     const std::vector<std::vector<int>>& presence);

// The same with what the caller already holds of the sample: the bootstrap
// summand as it summed it species by species (so that the estimate equals the
// caller's other uses of it to the last bit) and the variance of bootstrap.
std::array<NamedEstimate, 10> richness_from_incidence(const FrequencyCounts& counts, double bootstrap_summand,
                                                     double bootstrap_variance);

// vegan's variance of the bootstrap estimate from the presence matrix; NaN
// without units.
double bootstrap_richness_variance(const std::vector<std::vector<int>>& presence);
// The same over the first `units` units of a presence matrix (species found
// in none of them take no part).
double bootstrap_richness_variance(const PresenceMatrix& presence, int units);

}  // namespace lorvenna
