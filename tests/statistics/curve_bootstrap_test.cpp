// The bootstrap intervals of a curve: for one data set, the interval bounds
// averaged over 200 seeds (50 replicates each, iNEXT's default) agree within
// 2 % with bounds made from the definition in this test: samples of the
// bootstrap community drawn individual by individual with another generator,
// the standard deviation of each point over them, value -+ 1.959964 sd.
#include <gtest/gtest.h>

#include <random>

#include "statistics/bootstrap_community.hpp"
#include "statistics/diversity_curve.hpp"
#include "statistics/interval_estimate.hpp"
#include "statistics/mean_spread.hpp"
#include "statistics/reference_tables.hpp"

namespace lorvenna {
namespace {

TEST(CurveBootstrap, MeanBoundsOverSeedsMatchAPlainMonteCarlo) {
    FrequencyCounts counts;
    for (const auto& d : reference::data_sets())
        if (d.name == "lognormal_1_abundance") counts = d.counts();
    ASSERT_EQ(counts.size, 60);
    const std::vector<std::int64_t> sizes = {1, 10, 30, 59, 60, 61, 90, 120};
    const std::vector<CurvePoint> curve = diversity_curve(counts, sizes, 0, 1);

    // The definition: the standard deviation of each point over samples of the community.
    const std::vector<double> community = bootstrap_community(counts);
    std::mt19937_64 engine(4);
    std::discrete_distribution<std::size_t> species(community.begin(), community.end());
    const int samples = 20000;
    std::vector<std::array<std::vector<double>, 4>> values(sizes.size());
    for (int b = 0; b < samples; ++b) {
        std::vector<std::int64_t> x(community.size(), 0);
        for (std::int64_t i = 0; i < counts.size; ++i) ++x[species(engine)];
        const std::vector<CurvePoint> c = diversity_curve(frequency_counts(AbundanceSample{x}), sizes, 0, 1);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            for (int q = 0; q < 3; ++q) values[i][q].push_back(c[i].diversity[q]);
            values[i][3].push_back(c[i].coverage);
        }
    }
    const int seeds = 200;
    std::vector<std::array<double, 8>> mean_bounds(sizes.size(), std::array<double, 8>{});
    for (int seed = 0; seed < seeds; ++seed) {
        const std::vector<CurvePoint> c = diversity_curve(counts, sizes, 50, 7000 + static_cast<std::uint64_t>(seed));
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            for (int q = 0; q < 3; ++q) {
                mean_bounds[i][2 * q] += c[i].lower95[q] / seeds;
                mean_bounds[i][2 * q + 1] += c[i].upper95[q] / seeds;
            }
            mean_bounds[i][6] += c[i].coverage_lower95 / seeds;
            mean_bounds[i][7] += c[i].coverage_upper95 / seeds;
        }
    }
    // The same bounds made from the definition, group by group: 400 groups of
    // 50 samples, each group's standard deviation giving one interval, whose
    // bounds are averaged as the seeds' are (so the shortfall of a standard
    // deviation of 50 values is the same on both sides).
    const int group = 50, groups = samples / group;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        for (int j = 0; j < 4; ++j) {
            const double value = j < 3 ? curve[i].diversity[j] : curve[i].coverage;
            double lower = 0.0, upper = 0.0, half = 0.0;
            for (int g = 0; g < groups; ++g) {
                const std::vector<double> part(values[i][j].begin() + g * group, values[i][j].begin() + (g + 1) * group);
                const double h = normal_quantile_975 * mean_spread(part).sd;
                lower += std::fmax(0.0, value - h) / groups;
                upper += (j == 3 ? std::fmin(1.0, value + h) : value + h) / groups;
                half += h / groups;
            }
            const std::string what = "m = " + std::to_string(sizes[i]) + (j < 3 ? ", q = " + std::to_string(j) : ", coverage");
            EXPECT_NEAR(mean_bounds[i][2 * j], lower, 0.02 * lower + 1e-12) << what << " lower";
            EXPECT_NEAR(mean_bounds[i][2 * j + 1], upper, 0.02 * upper) << what << " upper";
            // The half-widths themselves, where nothing clamps them.
            if (value - half > 0.0 && (j < 3 || value + half < 1.0) && half > 1e-9) {
                EXPECT_NEAR((mean_bounds[i][2 * j + 1] - mean_bounds[i][2 * j]) / (2.0 * half), 1.0, 0.03) << what;
            }
        }
    }
}

}  // namespace
}  // namespace lorvenna
