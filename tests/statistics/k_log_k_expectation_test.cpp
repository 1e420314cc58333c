// E[K ln K] of hypergeometric and binomial counts: the moments the expansion
// takes against those of the whole distribution enumerated, and the
// expectation itself, exact sum or expansion, against the whole distribution
// summed in long double.
#include "statistics/k_log_k_expectation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace lorvenna {
namespace {

// The whole distribution of K (probabilities from the mode outward by the
// ratio of successive terms, every term, no cut-off), long double.
struct Distribution {
    std::int64_t low = 0;
    std::vector<long double> p;

    long double expect(const auto& f) const {
        long double sum = 0.0L;
        for (std::size_t i = 0; i < p.size(); ++i) sum += p[i] * f(static_cast<long double>(low + static_cast<std::int64_t>(i)));
        return sum;
    }
};

Distribution normalised(std::int64_t low, std::int64_t high, std::int64_t mode, const auto& up_ratio) {
    Distribution d{low, std::vector<long double>(static_cast<std::size_t>(high - low + 1), 0.0L)};
    const auto at = [&](std::int64_t k) -> long double& { return d.p[static_cast<std::size_t>(k - low)]; };
    at(mode) = 1.0L;
    for (std::int64_t k = mode; k < high; ++k) at(k + 1) = at(k) * up_ratio(k);
    for (std::int64_t k = mode; k > low; --k) at(k - 1) = at(k) / up_ratio(k - 1);
    long double total = 0.0L;
    for (const long double v : d.p) total += v;
    for (long double& v : d.p) v /= total;
    return d;
}

Distribution hypergeometric(std::int64_t n, std::int64_t x, std::int64_t m) {
    const std::int64_t low = std::max<std::int64_t>(0, m - (n - x)), high = std::min(x, m);
    const auto mode = std::clamp<std::int64_t>((m + 1) * (x + 1) / (n + 2), low, high);
    return normalised(low, high, mode, [=](std::int64_t k) {
        const long double kk = k;
        return (x - kk) * (m - kk) / ((kk + 1) * (n - x - m + kk + 1));
    });
}

Distribution binomial(std::int64_t m, long double p) {
    const auto mode = std::min<std::int64_t>(m, static_cast<std::int64_t>((m + 1) * p));
    return normalised(0, m, mode, [=](std::int64_t k) { return (m - k) / (k + 1.0L) * p / (1.0L - p); });
}

long double k_log_k(long double k) { return k > 0 ? k * std::log(k) : 0.0L; }

void expect_moments(const CentralMoments& mine, const Distribution& d, int exact_orders, const std::string& what) {
    const long double mean = d.expect([](long double k) { return k; });
    const double sd = std::sqrt(static_cast<double>(d.expect([&](long double k) { return (k - mean) * (k - mean); })));
    EXPECT_NEAR(mine.mean, static_cast<double>(mean), 1e-12 * static_cast<double>(mean)) << what;
    for (int j = 2; j <= 6; ++j) {
        const long double central = d.expect([&](long double k) { return std::pow(k - mean, j); });
        const double tolerance = j <= exact_orders ? 1e-9 : 0.02;  // the hypergeometric's mu_5 and mu_6 are leading terms
        EXPECT_NEAR(mine.central[j - 2], static_cast<double>(central),
                    tolerance * std::fabs(static_cast<double>(central)) + 1e-9 * std::pow(sd, j))
            << what << ": mu_" << j;
    }
}

TEST(KLogKExpectation, MomentsAreThoseOfTheWholeDistribution) {
    // Moderate sizes, skewed both ways, so that every moment is far from its normal value.
    for (const auto& [n, x, m] : std::vector<std::array<std::int64_t, 3>>{{2000, 150, 700}, {5000, 4200, 1500}, {3000, 900, 2600}})
        expect_moments(hypergeometric_moments(n, x, m), hypergeometric(n, x, m), 4,
                       "hypergeometric " + std::to_string(n) + " " + std::to_string(x) + " " + std::to_string(m));
    for (const auto& [m, p] : std::vector<std::pair<std::int64_t, double>>{{400, 0.03}, {1000, 0.5}, {2500, 0.97}})
        expect_moments(binomial_moments(m, p), binomial(m, p), 6, "binomial " + std::to_string(m) + " " + std::to_string(p));
}

TEST(KLogKExpectation, ExactSumsAndExpansionAgreeWithTheWholeDistribution) {
    const KLogK klk(1 << 22);
    // Means below the expansion (exact sums), at its start, and far beyond, with
    // the variance near the mean, and far below it (x near n, m near n).
    for (const auto& [n, x, m] : std::vector<std::array<std::int64_t, 3>>{{50000, 300, 20000},
                                                                       {1000000, 20000, 500000},
                                                                       {1000000, 20001, 500000},
                                                                       {6700000, 700000, 3300000},
                                                                       {200000, 190000, 100000},
                                                                       {100000, 50000, 99990}}) {
        const Distribution d = hypergeometric(n, x, m);
        const double truth = static_cast<double>(d.expect(k_log_k));
        EXPECT_NEAR(hypergeometric_k_log_k(n, x, m, klk), truth, 2e-14 * truth)
            << "hypergeometric " << n << " " << x << " " << m;
    }
    for (const auto& [m, p] : std::vector<std::pair<std::int64_t, double>>{
             {5000, 0.2}, {2000000, 0.005}, {2000000, 0.0051}, {3000000, 0.1}, {30000, 0.9995}}) {
        const Distribution d = binomial(m, p);
        const double truth = static_cast<double>(d.expect(k_log_k));
        EXPECT_NEAR(binomial_k_log_k(m, p, klk), truth, 2e-14 * truth) << "binomial " << m << " " << p;
    }
    // Beyond its table KLogK computes k ln k.
    const KLogK small(10);
    EXPECT_DOUBLE_EQ(small(1 << 20), std::ldexp(1.0, 20) * 20.0 * std::log(2.0));
    EXPECT_EQ(small(1), 0.0);
}

}  // namespace
}  // namespace lorvenna
