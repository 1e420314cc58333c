#pragma once
// Estimators of the species richness of an area from the incidence of species
// in n sample units, with the formulas of vegan's specpool (Oksanen et al.):
//   observed   S, the species found in at least one unit
//   bootstrap  S + sum over the species found of (1 - c/n)^n   (Smith and van Belle 1984)
//   Chao2      S + a1^2 / (2 a2) (n - 1)/n, or S + a1 (a1 - 1)/2 (n - 1)/n when a2 = 0
//              (Chao 1987, with the small-sample correction)
//   jackknife  first order  S + a1 (n - 1)/n
//              second order S + a1 (2n - 3)/n - a2 (n - 2)^2 / (n (n - 1))
//              (Burnham and Overton 1978, 1979)
// with c the units holding a species, a1 and a2 the species found in exactly
// one and exactly two units.
#include <cmath>

namespace lorvenna {

struct RichnessEstimates {
    double observed = 0.0, bootstrap = 0.0, chao2 = 0.0, jack1 = 0.0, jack2 = 0.0;
};

// `bootstrap_summand`: the sum of (1 - c/n)^n over the species found.  With a
// single unit the second-order jackknife is undefined (NaN).
RichnessEstimates estimate_richness(int observed, int singletons, int doubletons, int units, double bootstrap_summand);

// (estimate - truth) / truth; NaN without a truth to compare with.
inline double relative_bias(double estimate, double truth) {
    return truth > 0.0 && std::isfinite(estimate) ? (estimate - truth) / truth : std::nan("");
}

}  // namespace lorvenna
