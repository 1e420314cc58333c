// The bootstrap intervals of the estimated Hill numbers and the coverage:
// one seed gives one result, and the standard error is that of the
// estimators over samples of the bootstrap community, here drawn
// individual by individual with another generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "statistics/bootstrap_community.hpp"
#include "statistics/hill_numbers.hpp"
#include "statistics/mean_spread.hpp"
#include "statistics/reference_tables.hpp"

namespace lorvenna {
namespace {

FrequencyCounts spade_example() {
    for (const auto& d : reference::data_sets())
        if (d.name == "spade_example_abundance") return d.counts();
    throw std::runtime_error("no spade_example_abundance");
}

TEST(HillBootstrap, OneSeedOneResult) {
    const FrequencyCounts counts = spade_example();
    const HillEstimates a = hill_estimates(counts, 50, 17), b = hill_estimates(counts, 50, 17), c = hill_estimates(counts, 50, 18);
    EXPECT_EQ(a.replicates, 50);
    for (int q = 0; q < 3; ++q) {
        EXPECT_EQ(a.estimated[q].se, b.estimated[q].se);
        EXPECT_EQ(a.estimated[q].lower95, b.estimated[q].lower95);
        EXPECT_NE(a.estimated[q].se, c.estimated[q].se);
        EXPECT_GE(a.estimated[q].lower95, q == 0 ? a.observed[0] : 0.0);
        EXPECT_NEAR(a.estimated[q].upper95 - a.estimated[q].estimate, normal_quantile_975 * a.estimated[q].se, 1e-9);
    }
    EXPECT_LE(a.coverage.upper95, 1.0);
    const HillEstimates none = hill_estimates(counts, 0, 17);
    EXPECT_TRUE(std::isnan(none.estimated[1].se) && std::isnan(none.coverage.lower95));
    EXPECT_EQ(none.estimated[1].estimate, a.estimated[1].estimate);
    for (const auto& d : reference::data_sets()) {
        if (d.name != "lognormal_6_incidence") continue;  // five units: some samples may detect nothing
        const HillEstimates i = hill_estimates(d.counts(), 50, 3), j = hill_estimates(d.counts(), 50, 3);
        EXPECT_EQ(i.estimated[2].se, j.estimated[2].se);
        EXPECT_GT(i.replicates, 45);
        EXPECT_GT(i.estimated[0].se, 0.0);
        EXPECT_GE(i.estimated[0].lower95, i.observed[0]);
    }
}

TEST(HillBootstrap, StandardErrorMatchesAPlainMonteCarlo) {
    const FrequencyCounts counts = spade_example();
    const std::vector<double> community = bootstrap_community(counts);
    double total = 0.0;
    for (const double p : community) total += p;
    ASSERT_NEAR(total, 1.0, 1e-12) << "the bootstrap community is a distribution";
    ASSERT_EQ(community.size(), 25u + 3u) << "25 species seen and ceil(1995/1996 * 3^2 / (2 * 2)) = 3 unseen";
    // Each sample: n individuals, each of species i with probability p_i.
    std::vector<double> cumulative(community.size());
    std::partial_sum(community.begin(), community.end(), cumulative.begin());
    std::mt19937_64 engine(5);
    std::uniform_real_distribution<double> uniform(0.0, cumulative.back());
    const int samples = 3000;
    std::array<std::vector<double>, 4> values;
    for (int b = 0; b < samples; ++b) {
        std::vector<std::int64_t> x(community.size(), 0);
        for (std::int64_t i = 0; i < counts.size; ++i) {
            const auto at = std::upper_bound(cumulative.begin(), cumulative.end(), uniform(engine)) - cumulative.begin();
            ++x[static_cast<std::size_t>(std::min<std::ptrdiff_t>(at, static_cast<std::ptrdiff_t>(x.size()) - 1))];
        }
        const HillNumbers h = hill_numbers(frequency_counts(AbundanceSample{x}));
        for (int q = 0; q < 3; ++q) values[q].push_back(h.estimated[q]);
        values[3].push_back(h.coverage);
    }
    const HillEstimates e = hill_estimates(counts, samples, 99);
    // Two independent estimates of one standard deviation from 3000 samples
    // each differ by about 2 % (sd): allow 8 %.
    for (int q = 0; q < 3; ++q)
        EXPECT_NEAR(e.estimated[q].se / mean_spread(values[q]).sd, 1.0, 0.08) << "q = " << q;
    EXPECT_NEAR(e.coverage.se / mean_spread(values[3]).sd, 1.0, 0.08);
}

}  // namespace
}  // namespace lorvenna
