// The true curve of a known community: the expected richness and coverage of
// a sample against 10,000 samples drawn individual by individual, and the
// exponential of the expected Shannon entropy against the exact sum over
// every possible sample of a tiny community.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "statistics/mean_spread.hpp"
#include "statistics/true_diversity_curve.hpp"

namespace lorvenna {
namespace {

TEST(TrueCurve, RichnessAndCoverageAreThoseOfDrawnSamples) {
    const std::vector<double> p = {0.4, 0.2, 0.15, 0.1, 0.07, 0.05, 0.02, 0.01};
    const std::vector<std::int64_t> sizes = {1, 5, 20, 60, 200};
    const std::vector<TrueCurvePoint> truth = true_diversity_curve(p, sizes);
    std::mt19937_64 engine(11);
    std::discrete_distribution<int> species(p.begin(), p.end());
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        std::vector<double> richness, coverage;
        for (int draw = 0; draw < 10000; ++draw) {
            std::vector<bool> seen(p.size(), false);
            for (std::int64_t i = 0; i < sizes[s]; ++i) seen[static_cast<std::size_t>(species(engine))] = true;
            double r = 0.0, c = 0.0;
            for (std::size_t j = 0; j < p.size(); ++j)
                if (seen[j]) r += 1.0, c += p[j];
            richness.push_back(r);
            coverage.push_back(c);
        }
        const MeanSpread r = mean_spread(richness), c = mean_spread(coverage);
        EXPECT_NEAR(truth[s].diversity[0], r.mean, 3.0 * r.sd / 100.0 + 1e-12) << "m = " << sizes[s];
        EXPECT_NEAR(truth[s].coverage, c.mean, 3.0 * c.sd / 100.0 + 1e-12) << "m = " << sizes[s];
    }
    EXPECT_DOUBLE_EQ(truth[0].diversity[0], 1.0) << "one individual, one species";
    EXPECT_DOUBLE_EQ(truth[0].diversity[2], 1.0);
}

// exp(E[H]) by summing over every sample (k_1, .., k_S) of m individuals.
double exact_shannon_curve(const std::vector<double>& p, int m) {
    double expected = 0.0;
    std::vector<int> k(p.size(), 0);
    const std::function<void(std::size_t, int)> visit = [&](std::size_t i, int left) {
        if (i + 1 == p.size()) {
            k[i] = left;
            double log_probability = std::lgamma(m + 1.0), h = 0.0;
            for (std::size_t j = 0; j < p.size(); ++j) {
                log_probability += k[j] * std::log(p[j]) - std::lgamma(k[j] + 1.0);
                if (k[j] > 0) h -= static_cast<double>(k[j]) / m * std::log(static_cast<double>(k[j]) / m);
            }
            expected += std::exp(log_probability) * h;
            return;
        }
        for (int x = 0; x <= left; ++x) k[i] = x, visit(i + 1, left - x);
    };
    visit(0, m);
    return std::exp(expected);
}

TEST(TrueCurve, ShannonIsTheExactExpectationOverEverySample) {
    const std::vector<double> p = {0.5, 0.3, 0.15, 0.05};
    for (const int m : {1, 2, 6, 40, 150}) {
        const double exact = exact_shannon_curve(p, m);
        const double mine = true_diversity_curve(p, {m})[0].diversity[1];
        EXPECT_NEAR(mine, exact, 1e-9 * exact) << "m = " << m;
    }
    // Relative abundances need not be normalised; a certain species is one species.
    EXPECT_NEAR(true_diversity_curve({5.0, 3.0, 1.5, 0.5}, {40})[0].diversity[1], exact_shannon_curve(p, 40), 1e-9 * 3);
    EXPECT_DOUBLE_EQ(true_diversity_curve({1.0}, {1000})[0].diversity[1], 1.0);
}

}  // namespace
}  // namespace lorvenna
