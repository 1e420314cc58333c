#pragma once
// An estimate with its standard error and 95 % interval, and the two
// intervals of a richness estimate that SpadeR (Chao et al.) uses.
//
// Log-transformed interval (Chao 1987): with the observed richness S, the
// undetected part f0 = estimate - S and its variance v,
//   C = exp(z sqrt(ln(1 + v / f0^2))),  interval [S + f0 / C, S + f0 C],
// so the lower bound is never below S.  z = 1.959964 (the 97.5 % normal
// quantile).
//
// Interval of an estimate that adds nothing to S (f0 = 0): the observed count
// of a Poisson mixture, with P = sum_k f_k e^-k / S and
//   v_obs = sum_k f_k (e^-k - e^-2k) - (sum_k k e^-k f_k)^2 / n,
//   interval [max(S, S/(1 - P) - z sqrt(v_obs)/(1 - P)), S/(1 - P) + z sqrt(v_obs)/(1 - P)],
// and the standard error sqrt(v_obs); n is the individuals or the units T.
// Every number is NaN where it is undefined (no variance, no data).
#include <cmath>

#include "statistics/frequency_data.hpp"

namespace lorvenna {

inline constexpr double normal_quantile_975 = 1.959963984540054;

struct Estimate {
    double estimate = std::nan("");
    double se = std::nan("");
    double lower95 = std::nan("");
    double upper95 = std::nan("");
};

// The log-transformed interval around `estimate` with `variance` (NaN or
// non-positive variance: se and interval NaN).
Estimate log_transformed_interval(double estimate, double variance, double observed);

// The interval of the observed count, as above; `estimate` is kept as given.
Estimate observed_count_interval(const FrequencyCounts& counts, double estimate);

// The interval SpadeR gives a richness estimate: log-transformed where it adds
// to S, the observed-count interval where it adds nothing (to five decimals);
// all NaN for an estimate that is not finite.
Estimate richness_interval(const FrequencyCounts& counts, double estimate, double variance);

// The variance of an estimator by the delta method over the frequency
// counts, taken as multinomial with the estimate as the number of classes:
//   var = sum_k d_k^2 f_k - (sum_k d_k f_k)^2 / estimate,
// where d_k is the derivative of the estimator by f_k; the sum runs over the
// observed classes.  `derivative(k)` gives d_k.
template <class Derivative>
double delta_method_variance(const FrequencyCounts& counts, double estimate, Derivative derivative) {
    double squares = 0.0, linear = 0.0;
    for (const FrequencyClass& c : counts.classes) {
        const double d = derivative(c.times), f = static_cast<double>(c.species);
        squares += d * d * f;
        linear += d * f;
    }
    return squares - linear * linear / estimate;
}

// The same over the four rarest classes alone (f_1 to f_4, as given, zeros
// included), the form the improved Chao estimators take.
template <class Derivative>
double delta_method_variance_rare(const double (&f)[4], double estimate, Derivative derivative) {
    double squares = 0.0, linear = 0.0;
    for (int k = 1; k <= 4; ++k) {
        const double d = derivative(k);
        squares += d * d * f[k - 1];
        linear += d * f[k - 1];
    }
    return squares - linear * linear / estimate;
}

// SpadeR's test of an estimate that adds nothing: R's round(x, 5) == 0.
inline bool rounds_to_zero(double excess) { return std::fabs(excess) < 5e-6; }

}  // namespace lorvenna
