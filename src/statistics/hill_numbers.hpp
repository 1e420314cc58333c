#pragma once
// Hill numbers of order q = 0, 1, 2 and the sample coverage, observed and
// estimated as iNEXT 3.0.2 computes them (DataInfo, AsyEst), for abundance
// and incidence data.
//
// Abundance, n individuals, x_i of species i, p_i = x_i / n:
//   observed   S;  exp(-sum p_i ln p_i);  1 / sum p_i^2
//   estimated  q = 0: Chao1 (the iNEXT form: S + (n-1)/n f1^2/(2 f2), or
//                     f1 (f1 - 1)/2 without doubletons);
//              q = 1: exp of the entropy estimator of Chao et al. (2013),
//                     H = sum_i x_i/n (psi(n) - psi(x_i))
//                       + f1/n (1 - A)^(1-n) (-ln A - sum_{r=1}^{n-1} (1 - A)^r / r),
//                     A = 2 f2 / ((n-1) f1 + 2 f2), 2 / ((n-1)(f1-1) + 2) without
//                     doubletons, 1 without singletons (second term 0);
//              q = 2: 1 / sum_i x_i (x_i - 1) / (n (n - 1))  (Chao et al. 2014).
//   coverage   Chao and Jost (2012): 1 - f1/n * n f0 / (n f0 + f1), f0 the
//              Chao1 undetected part (1 without singletons).
// Incidence, T units, Y_i units of species i, U = sum Y_i: the same with
// relative incidences Y_i / U observed; estimated q = 1 is
//   exp((T/U) [sum_{Y_i<T} Y_i/T (psi(T) - psi(Y_i)) + Q1/T (1-A)^(1-T)(...)] + ln(U/T)),
// q = 2 is (U/T)^2 / (sum Y_i (Y_i - 1) / (T (T - 1))), coverage 1 - Q1/U * T Q0 / (T Q0 + Q1).
//
// The tail (1 - A)^(1-n) (-ln A - sum_{r<n} (1-A)^r/r) equals
// sum_{j>=0} (1 - A)^(j+1) / (n + j); where A n > 5 it is summed in this
// second form, which keeps its digits where the first cancels.
//
// iNEXT sums the q = 2 incidence estimator in single precision; ours is the
// double-precision value of the same formula (they differ by about 1e-7).
//
// Undefined values are NaN: everything of an empty or invalid sample, q = 2
// estimated when no species is seen twice (sum x (x - 1) = 0) or n < 2.
//
// Intervals (hill_estimates): iNEXT's bootstrap.  B samples are drawn from the
// bootstrap community (bootstrap_community.hpp), the estimators are applied
// to each, se is the standard deviation of the B values and the interval is
// estimate -+ 1.959964 se; its lower bound is held at the observed richness
// for q = 0 and at 0 for q = 1, 2 (iNEXT holds every lower bound at 0), and
// the interval of the coverage within [0, 1].  B = 0: se and intervals NaN.
#include <array>
#include <cstdint>

#include "statistics/frequency_data.hpp"
#include "statistics/interval_estimate.hpp"

namespace lorvenna {

struct HillNumbers {
    std::array<double, 3> observed{};   // q = 0, 1, 2
    std::array<double, 3> estimated{};  // q = 0, 1, 2
    double coverage = 0.0;              // estimated sample coverage of the sample
};

HillNumbers hill_numbers(const FrequencyCounts& counts);

struct HillEstimates {
    std::array<double, 3> observed{};
    std::array<Estimate, 3> estimated{};
    Estimate coverage;
    int replicates = 0;  // bootstrap samples used (incidence samples with no detection are dropped)
};

HillEstimates hill_estimates(const FrequencyCounts& counts, int replicates, std::uint64_t seed);

// Pieces shared with the curves.
double digamma(double x);
// f1/n (1 - A)^(1-n) (-ln A - sum_{r=1}^{n-1} (1 - A)^r / r); 0 where A = 1 or f1 = 0.
double entropy_tail(double n, double f1, double a);
// The A of the entropy estimator and of the Chao1 coverage, as iNEXT sets it.
double entropy_discovery_rate(const FrequencyCounts& counts);
double coverage_deficit_rate(const FrequencyCounts& counts);  // n f0 / (n f0 + f1), 1 without singletons

}  // namespace lorvenna
