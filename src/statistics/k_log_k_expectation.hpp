#pragma once
// E[K ln K] for a count K drawn hypergeometrically (the species of a
// subsample taken without replacement: the interpolated Shannon diversity of
// a sample) or binomially (a sample drawn with replacement from a community:
// the true curve), the core of the Shannon diversity along a curve.
//
// Below a mean of 10^4 the exact sum: from the mode outward by the ratio of
// successive probabilities, stopping where a term falls below 1e-18 of the
// sum so far, divided by the sum of the probabilities (so no factorial is
// needed); about 18 standard deviations of terms.
//
// From a mean mu of 10^4 on, the expansion of k ln k about mu in the central
// moments mu_j of K (the Taylor series of k ln k, whose j-th term is
// (-1)^j (k - mu)^j / (j (j - 1) mu^(j - 1))):
//   E[K ln K] = mu ln mu + mu_2/(2 mu) - mu_3/(6 mu^2) + mu_4/(12 mu^3)
//               - mu_5/(20 mu^4) + mu_6/(30 mu^5) + O(mu^-3).
// Binomial(m, p): every moment exact, from the cumulants m pq, m pq(q - p),
// m pq(1 - 6pq), m pq(q - p)(1 - 12pq), m pq(1 - 30pq + 120 p^2 q^2).
// Hypergeometric (m draws from n holding x): mu_2, mu_3 and mu_4 exact,
//   mu_2 = m (x/n)(1 - x/n)(n - m)/(n - 1)
//   mu_3 = mu_2 (n - 2x)(n - 2m) / (n (n - 2))
//   mu_4 = 3 mu_2^2 + mu_2^2 g_2, g_2 the excess kurtosis of the hypergeometric
//          ((n-1) n^2 (n(n+1) - 6x(n-x) - 6m(n-m)) + 6 m x (n-x)(n-m)(5n-6))
//          / (m x (n-x)(n-m)(n-2)(n-3)),
// and mu_5, mu_6 from the cumulants of orders 2 to 4 with those of orders 5
// and 6 left out (they add about mu^-3).  The terms left out come to a few
// 1e-12 at mu = 10^4 (the variance is at most mu, and the chance of K below
// mu/2, where the series fails, is below e^-1000); the exact sum would take
// some 1,800 terms there and grows as the square root of mu.
#include <cstdint>
#include <vector>

namespace lorvenna {

// k ln k: from a table for small k, computed beyond it.
class KLogK {
public:
    // A table up to the smaller of `largest` and the counts the exact sums reach.
    explicit KLogK(std::int64_t largest);
    double operator()(std::int64_t k) const;

private:
    std::vector<double> table_;
};

// The mean from which the expansion replaces the exact sum.
inline constexpr double k_log_k_expansion_mean = 1e4;

// K hypergeometric: `draws` from `population` of which `marked` count.
double hypergeometric_k_log_k(std::int64_t population, std::int64_t marked, std::int64_t draws, const KLogK& klk);
// K binomial: `draws` trials with chance p, 0 < p < 1.
double binomial_k_log_k(std::int64_t draws, double p, const KLogK& klk);

// The mean and the central moments mu_2 .. mu_6 the expansion takes.
struct CentralMoments {
    double mean = 0.0;
    double central[5] = {};  // mu_2, mu_3, mu_4, mu_5, mu_6
};
CentralMoments hypergeometric_moments(std::int64_t population, std::int64_t marked, std::int64_t draws);
CentralMoments binomial_moments(std::int64_t draws, double p);

// The expansion: E[K ln K] from the mean and central moments.
double k_log_k_from_moments(const CentralMoments& k);

}  // namespace lorvenna
