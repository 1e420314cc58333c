#pragma once
// Species richness estimated from abundance data, with standard errors and
// 95 % intervals as SpadeR 0.1.1's ChaoSpecies(datatype = "abundance",
// k = 10, conf = 0.95) computes them (Chao and Chiu 2016, eLS), in this order:
//   observed         S, the species seen (no standard error, no interval)
//   homogeneous      Chao and Lee (1992) with every species equally detectable:
//                    S_abun + S_rare / C_rare, C_rare = 1 - f1 / n_rare
//   homogeneous_mle  the maximum-likelihood S of S (1 - e^(-n/S)) = S_obs
//   chao1            Chao (1984) with the factor (n - 1)/n
//   chao1_bc         the bias-corrected form S + (n-1)/n f1 (f1 - 1) / (2 (f2 + 1))
//   ichao1           Chiu et al. (2014): chao1 + f3/(4 f4) max(f1 - f2 f3/(2 f4), 0)
//   ace, ace1        Chao and Lee (1992) with the cut-off k = 10 between rare
//                    and abundant species; ace1 with the bias-corrected CV
//   jack1, jack2     first- and second-order jackknife (Burnham and Overton)
// Standard errors are SpadeR's delta-method variances over the frequency
// counts (closed forms for chao1 and chao1_bc); intervals are log-transformed
// (interval_estimate.hpp), or, where an estimate adds nothing to S, the
// observed-count interval.  The point estimates of chao1 and the jackknives
// are those of estimate_richness (richness_estimators.hpp) with n in place of
// the units.
//
// Edge cases (SpadeR itself refuses data of singletons only, and stops with
// an error where no species is rare):
//   - no data (S = 0): observed 0, everything else NaN;
//   - no doubletons: chao1 takes f1 (f1 - 1)/2 and its own variance, as SpadeR;
//   - f1 <= 1 and f2 = 0 (chao1), or nothing added (others): S with the
//     observed-count interval;
//   - no f4 for ichao1: f4 is taken as 1 in the estimate and its derivatives,
//     as SpadeR; where f1 - f2 f3/(2 f4) is not positive (or f3 = 0) the
//     variance is that of chao1;
//   - no rare species (all counts above 10): ace and ace1 are S (SpadeR stops
//     here), with the observed-count interval; so are homogeneous (f0 = 0);
//   - every rare species a singleton (C_rare = 0, which includes data of
//     singletons only): homogeneous, ace and ace1 NaN; homogeneous_mle NaN
//     when S = n (no finite root); chao1, chao1_bc, ichao1 and the jackknives
//     keep their finite formula values;
//   - jack2 below S: S with the observed-count interval, as SpadeR;
//   - a variance that is not positive: se and interval NaN.
#include <array>

#include "statistics/frequency_data.hpp"
#include "statistics/interval_estimate.hpp"

namespace lorvenna {

struct NamedEstimate {
    const char* name;
    Estimate value;
};

inline constexpr int rare_cutoff = 10;

std::array<NamedEstimate, 10> richness_from_abundance(const FrequencyCounts& counts);

}  // namespace lorvenna
