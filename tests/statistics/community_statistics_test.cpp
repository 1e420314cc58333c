// Statistics of an abundance vector worked by hand: diversity and evenness
// of the three indices, the rank-abundance line and Fisher's alpha.
#include "statistics/community_statistics.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lorvenna {
namespace {

const double ln2 = std::log(2.0);

// Abundances 1, 1, 2, 4 (N = 8) with an absent species among them.
const std::vector<float> weights = {2.0f, 3.0f, 100.0f, 5.0f, 7.0f};
const std::vector<double> counts = {1.0, 1.0, 0.0, 2.0, 4.0};

TEST(CommunityStatistics, TheThreeIndicesOfASmallCommunity) {
    const CommunityStatistics sha = community_statistics(weights, counts, DiversityIndex::shannon);
    EXPECT_EQ(sha.species, 4);
    EXPECT_DOUBLE_EQ(sha.individuals, 8.0);
    EXPECT_DOUBLE_EQ(sha.biomass, 2.0 + 3.0 + 10.0 + 28.0) << "the absent species adds nothing";
    // H = 2 (1/8) ln 8 + (1/4) ln 4 + (1/2) ln 2 = 1.75 ln 2
    EXPECT_NEAR(sha.diversity, 1.75 * ln2, 1e-6);
    EXPECT_NEAR(sha.evenness, 1.75 * ln2 / std::log(4.0), 1e-6);
    // log2 abundances 0, 0, 1, 2: mean 0.75, sum of squares 2.75, divisor S = 4
    EXPECT_NEAR(sha.sd_lb, std::sqrt(2.75 / 4.0), 1e-6);
    EXPECT_EQ(sha.rad_slope, 0.0f) << "fewer than five species: no rank-abundance line";

    const CommunityStatistics simp = community_statistics(weights, counts, DiversityIndex::simpson);
    // D = 2/64 + 1/16 + 1/4 = 0.34375
    EXPECT_NEAR(simp.diversity, 1.0 / 0.34375, 1e-5);
    EXPECT_NEAR(simp.evenness, 1.0 / 0.34375 / 4.0, 1e-6);
    const CommunityStatistics evar = community_statistics(weights, counts, DiversityIndex::evar);
    // V = (ln 2)^2 (0.5625 + 0.5625 + 0.0625 + 1.5625); Evar = 1 - (2/pi) atan(V / 4) = 0.796900
    EXPECT_NEAR(evar.evenness, 0.796900, 1e-6);
    EXPECT_NEAR(evar.diversity, 4.0 * 0.796900, 1e-5);
    EXPECT_EQ(evar.sd_lb, simp.sd_lb);
}

TEST(CommunityStatistics, EvenAndSingleSpeciesCommunities) {
    const std::vector<float> w(6, 1.0f);
    const std::vector<double> even(6, 50.0);
    const CommunityStatistics sha = community_statistics(w, even, DiversityIndex::shannon);
    EXPECT_NEAR(sha.diversity, std::log(6.0), 1e-6);
    EXPECT_NEAR(sha.evenness, 1.0, 1e-6);
    EXPECT_NEAR(sha.sd_lb, 0.0, 1e-6);
    EXPECT_NEAR(sha.rad_intercept, std::log(1.0 / 6.0), 1e-6);
    EXPECT_NEAR(community_statistics(w, even, DiversityIndex::simpson).evenness, 1.0, 1e-6);
    EXPECT_NEAR(community_statistics(w, even, DiversityIndex::evar).diversity, 6.0, 1e-5);

    const CommunityStatistics one = community_statistics({4.0f, 9.0f}, {0.0, 5.0}, DiversityIndex::shannon);
    EXPECT_EQ(one.species, 1);
    EXPECT_DOUBLE_EQ(one.biomass, 45.0);
    EXPECT_EQ(one.diversity, 0.0f);
    EXPECT_EQ(one.evenness, 0.0f);
    EXPECT_NEAR(one.alpha, 0.38f, 1e-6);  // alpha ln(1 + 5/alpha) crosses 1 between 0.37 and 0.38
}

TEST(CommunityStatistics, RankAbundanceLineOverTheMiddleRanks) {
    // Five species, sorted 16 8 4 2 1: ranks 2..4 lie on ln x = 5 ln 2 - r ln 2.
    const CommunityStatistics five =
        community_statistics(std::vector<float>(6, 1.0f), {4.0, 16.0, 0.0, 1.0, 8.0, 2.0}, DiversityIndex::shannon);
    EXPECT_NEAR(five.rad_slope, -ln2, 1e-6);
    EXPECT_NEAR(five.rad_intercept, 5.0 * ln2 - std::log(31.0), 1e-6);  // relative to N = 31
    // Six species, sorted 10 6 5 3 2 1: ln 6, ln 5, ln 3, ln 2 on ranks 2..5.
    const CommunityStatistics six =
        community_statistics(std::vector<float>(6, 1.0f), {1.0, 3.0, 10.0, 2.0, 5.0, 6.0}, DiversityIndex::shannon);
    const double slope = (-1.5 * std::log(6.0) - 0.5 * std::log(5.0) + 0.5 * std::log(3.0) + 1.5 * ln2) / 5.0;
    const double mean_y = (std::log(6.0) + std::log(5.0) + std::log(3.0) + ln2) / 4.0;
    EXPECT_NEAR(six.rad_slope, slope, 1e-6);
    EXPECT_NEAR(six.rad_intercept, mean_y - 3.5 * slope - std::log(27.0), 1e-6);
}

TEST(CommunityStatistics, DegenerateVectorsGiveFiniteZeros) {
    const std::vector<std::vector<double>> cases = {
        {}, {0.0, 0.0}, {-3.0, 2.0}, {std::numeric_limits<double>::quiet_NaN(), 1.0, 1.0},
        {1e-30, 1e30, 1.0, 2.0, 3.0}, {0.25, 0.25, 0.5}};
    for (const DiversityIndex index : {DiversityIndex::shannon, DiversityIndex::simpson, DiversityIndex::evar})
        for (const auto& x : cases) {
            const CommunityStatistics st = community_statistics({}, x, index);
            for (float v : {st.sd_lb, st.rad_slope, st.rad_intercept, st.diversity, st.evenness, st.alpha})
                EXPECT_TRUE(std::isfinite(v)) << static_cast<int>(index) << " with " << x.size() << " values";
            EXPECT_TRUE(std::isfinite(st.individuals));
        }
    EXPECT_EQ(community_statistics({}, {0.25, 0.25, 0.5}, DiversityIndex::shannon).alpha, 0.0f) << "S > N";
}

// The stepwise search with decreasing steps, the reference for small alpha.
double stepwise_alpha(double s, double n) {
    double alpha = 0.0;
    for (int k = 6; k >= 1; --k) {
        const double step = std::pow(10.0, k - 3);
        for (;;) {
            const double a = alpha == 0.0 ? 0.01 : alpha;
            if (a / s * std::log(n / a + 1.0) > 1.0) break;
            alpha += step;
        }
        if (k > 1) alpha -= step;
    }
    return alpha;
}

TEST(FishersAlpha, KnownValuesTheStepwiseSearchAndItsLimits) {
    EXPECT_NEAR(fishers_alpha(30, 24030), 3.39f, 1e-5);
    EXPECT_NEAR(fishers_alpha(10, 100), 2.77f, 1e-5);
    EXPECT_NEAR(fishers_alpha(20, 21), 206.62f, 1e-3);
    for (int s = 1; s <= 40; s += 3)
        for (double n : {s + 1.0, s + 2.5, 2.0 * s, 10.0 * s + 7, 1000.0 * s})
            EXPECT_NEAR(fishers_alpha(s, n), stepwise_alpha(s, n), 1e-4) << "S " << s << " N " << n;
    EXPECT_EQ(fishers_alpha(12, 12), 0.0f) << "every species a singleton";
    EXPECT_EQ(fishers_alpha(12, 11.5), 0.0f);
    EXPECT_EQ(fishers_alpha(0, 10), 0.0f);
    // S = N - 1 with a large N: alpha near N^2 / 2 lies far beyond any stepwise count.
    const double n = 1.0e6, s = n - 1.0;
    const double a = fishers_alpha(s, n);
    EXPECT_GT(a, 1.0e11);
    EXPECT_GT(a / s * std::log1p(n / a), 1.0);
    const double below = a - 0.01 * a * 1e-6;
    EXPECT_LE(below / s * std::log1p(n / below), 1.0 + 1e-12);
}

}  // namespace
}  // namespace lorvenna
