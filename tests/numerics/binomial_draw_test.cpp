// The binomial deviates behind every bootstrap sample: their distribution
// against the exact probabilities, by inversion (small mean) and by
// transformed rejection (large mean, both tails of p), and the multinomial
// made of them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numerics/binomial_draw.hpp"

namespace lorvenna {
namespace {

double binomial_probability(std::int64_t n, double p, std::int64_t k) {
    const double nn = static_cast<double>(n), kk = static_cast<double>(k);
    return std::exp(std::lgamma(nn + 1.0) - std::lgamma(kk + 1.0) - std::lgamma(nn - kk + 1.0) + kk * std::log(p) +
                    (nn - kk) * std::log1p(-p));
}

TEST(BinomialDraw, FollowsTheExactDistribution) {
    const struct {
        std::int64_t n;
        double p;
    } cases[] = {{20, 0.3}, {1000, 0.02}, {1000, 0.5}, {100000, 0.4}, {50, 0.9}, {3000000, 0.0001}};
    ResamplingGenerator g(20240611);
    for (const auto& c : cases) {
        const int draws = 200000;
        std::vector<double> seen(static_cast<std::size_t>(c.n + 1), 0.0);
        for (int i = 0; i < draws; ++i) {
            const std::int64_t x = binomial_draw(c.n, c.p, g);
            ASSERT_GE(x, 0);
            ASSERT_LE(x, c.n);
            seen[static_cast<std::size_t>(x)] += 1.0;
        }
        // Pearson's chi-square over the values expected at least 20 times, the
        // rest pooled into one class.
        double chi2 = 0.0, pooled_seen = 0.0, pooled_expected = 0.0;
        int classes = 0;
        const double mean = static_cast<double>(c.n) * c.p, spread = std::sqrt(mean * (1.0 - c.p));
        const auto from = static_cast<std::int64_t>(std::fmax(0.0, mean - 40.0 * spread));
        const auto to = static_cast<std::int64_t>(std::fmin(static_cast<double>(c.n), mean + 40.0 * spread));
        for (std::int64_t k = 0; k < from; ++k) pooled_seen += seen[static_cast<std::size_t>(k)];
        for (std::int64_t k = to + 1; k <= c.n; ++k) pooled_seen += seen[static_cast<std::size_t>(k)];
        for (std::int64_t k = from; k <= to; ++k) {
            const double expected = draws * binomial_probability(c.n, c.p, k);
            if (expected >= 20.0) {
                chi2 += (seen[static_cast<std::size_t>(k)] - expected) * (seen[static_cast<std::size_t>(k)] - expected) / expected;
                ++classes;
            } else {
                pooled_seen += seen[static_cast<std::size_t>(k)];
                pooled_expected += expected;
            }
        }
        if (pooled_expected >= 20.0) {
            chi2 += (pooled_seen - pooled_expected) * (pooled_seen - pooled_expected) / pooled_expected;
            ++classes;
        }
        const double df = classes - 1;
        EXPECT_LT(chi2, df + 6.0 * std::sqrt(2.0 * df)) << "n = " << c.n << ", p = " << c.p << ", " << classes << " classes";
    }
    EXPECT_EQ(binomial_draw(10, 0.0, g), 0);
    EXPECT_EQ(binomial_draw(10, 1.0, g), 10);
    EXPECT_EQ(binomial_draw(0, 0.5, g), 0);
}

TEST(BinomialDraw, MultinomialKeepsEveryTrialAndItsShares) {
    ResamplingGenerator g(7);
    const std::vector<double> shares = {0.5, 0.0, 0.25, 0.125, 0.125, 0.0};
    std::vector<std::int64_t> counts;
    std::vector<double> totals(shares.size(), 0.0);
    for (int i = 0; i < 2000; ++i) {
        multinomial_draw(1000, shares, g, counts);
        std::int64_t sum = 0;
        for (std::size_t j = 0; j < counts.size(); ++j) sum += counts[j], totals[j] += static_cast<double>(counts[j]);
        ASSERT_EQ(sum, 1000);
        EXPECT_EQ(counts[1], 0);
        EXPECT_EQ(counts[5], 0) << "a share of 0 after the last species with mass";
    }
    for (std::size_t j = 0; j < shares.size(); ++j)
        EXPECT_NEAR(totals[j] / 2e6, shares[j], 0.002) << "category " << j;
    ResamplingGenerator a(99), b(99);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a.next(), b.next()) << "one seed, one sequence";
}

}  // namespace
}  // namespace lorvenna
