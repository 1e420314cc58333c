#include "community/assemblage_from_rank_order.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "batch/batch_bench.hpp"

namespace lorvenna {
namespace {

// A rank-order block already read, Distribution.txt open.
struct BlockBench : testing::BatchBench {
    BlockBench(const std::vector<float>& abundances, float maxD, float min_abundance,
               const std::vector<float>& weights = {}) {
        wa.reports.distribution.open(io);
        wa.params.maxD = maxD;
        wa.derived.min_abundance = min_abundance;
        RankOrderInput& r = wa.rank_order;
        r.file_name = "dist.txt";
        r.rows = static_cast<int>(abundances.size());
        r.abundance = abundances;
        r.body_weights = keyword(weights.empty() ? "no" : "yes");
        // As the reader leaves it: one weight per row, 0 where none was read.
        r.weight.assign(abundances.size(), 0.0f);
        for (std::size_t i = 0; i < weights.size() && i < abundances.size(); ++i) r.weight[i] = weights[i];
    }
    std::optional<ProgramEnd> build() {
        return ends([this] { build_community_from_rank_order(wa); });
    }
    std::string weight_class_line() {
        wa.reports.distribution.flush();
        std::string text = read_file("Distribution.txt");
        return text.substr(0, text.find('\n'));
    }
};

TEST(AssemblageFromRankOrder, CountedIndividualsAreRoundedAndRowsBelowTheMinimumLeftOut) {
    // maxD > 0: whole individuals; the minimum abundance of the run is 2 individuals.
    BlockBench b({120.4f, 3.7f, 2.5f, 1.6f, 0.4f, -3.0f}, 1.0f, 2.0f);
    ASSERT_FALSE(b.build());
    ASSERT_TRUE(b.wa.derived.community_built);
    ASSERT_EQ(b.wa.species.size(), 6u) << "one table row per block row, as Species says";
    EXPECT_EQ(b.wa.params.Species, 6);
    const auto& s = b.wa.species;
    EXPECT_EQ(s[0].abundance, 120.0f);
    EXPECT_EQ(s[1].abundance, 4.0f);
    EXPECT_EQ(s[2].abundance, 3.0f) << "halves round away from zero";
    EXPECT_EQ(s[3].abundance, 2.0f) << "a species with exactly the minimum is kept";
    EXPECT_EQ(s[4].abundance, 0.0f) << "rows below the minimum leave empty rows at the end";
    EXPECT_EQ(s[5].abundance, 0.0f);
    EXPECT_EQ(s[4].weight, 0.0f);
    EXPECT_FLOAT_EQ(s[1].undisturbed, 3.7f) << "the value read is kept beside the individuals";
    for (std::size_t i = 0; i < s.size(); ++i) EXPECT_EQ(s[i].number, static_cast<float>(i + 1));
    EXPECT_EQ(b.wa.derived.smallest_abundance, 2.0f);
    EXPECT_EQ(b.wa.derived.max_abundance, 120.0f);
    EXPECT_DOUBLE_EQ(b.wa.totals.individuals, 129.0);
}

TEST(AssemblageFromRankOrder, DefaultWeightsFollowEnergeticEquivalenceFromTheFirstEnteredRow) {
    // The first row is below the minimum; the reference is the second (1000 individuals).
    BlockBench b({0.2f, 1000.0f, 125.0f, 1.0f, 2000.0f}, 1.0f, 1.0f);
    ASSERT_FALSE(b.build());
    const auto& s = b.wa.species;
    EXPECT_FLOAT_EQ(s[0].weight, 1.0f);
    EXPECT_NEAR(s[1].weight, 16.0f, 1e-3f);      // (1000 / 125)^(4/3)
    EXPECT_NEAR(s[2].weight, 10000.0f, 0.5f);    // (1000 / 1)^(4/3)
    EXPECT_FLOAT_EQ(s[3].weight, 1.0f) << "a commoner species further down is not lighter than 1";
    // Classes: weights 1, 1 in class 1; 16 in class 4; 10000 in class 14.
    EXPECT_EQ(b.weight_class_line(),
              "     2     0     0     1     0     0     0     0     0     0     0     0     0     1");
    EXPECT_NEAR(b.wa.totals.biomass, 1000.0 + 16.0 * 125.0 + 10000.0 + 2000.0, 1.0);
}

TEST(AssemblageFromRankOrder, WeightsFromTheFileAreUsedWhenGiven) {
    BlockBench b({50.0f, 20.0f, 5.0f}, 1.0f, 1.0f, {3.0f, 0.0f, 40.0f});
    ASSERT_FALSE(b.build());
    const auto& s = b.wa.species;
    EXPECT_FLOAT_EQ(s[0].weight, 3.0f);
    EXPECT_NEAR(s[1].weight, std::pow(2.5f, 4.0f / 3.0f), 1e-4f) << "a weight of 0 takes the default";
    EXPECT_FLOAT_EQ(s[2].weight, 40.0f);
    EXPECT_EQ(b.weight_class_line(), "     0     2     0     0     0     1") << "3 and 3.39 in class 2, 40 in class 6";
}

TEST(AssemblageFromRankOrder, RelativeAbundancesStayAndEmptyCommunitiesFailThePass) {
    // maxD 0: no rounding; the placement divides by the smallest abundance.
    BlockBench relative({0.5f, 0.3f, 0.15f, 0.05f}, 0.0f, 1e-12f);
    ASSERT_FALSE(relative.build());
    ASSERT_TRUE(relative.wa.derived.community_built);
    EXPECT_FLOAT_EQ(relative.wa.species[3].abundance, 0.05f);
    EXPECT_FLOAT_EQ(relative.wa.derived.smallest_abundance, 0.05f);

    BlockBench below({0.3f, 0.2f}, 1.0f, 1.0f);
    ASSERT_FALSE(below.build());
    EXPECT_FALSE(below.wa.derived.community_built);
    EXPECT_TRUE(below.wa.species.empty());
    EXPECT_NE(below.out.str().find("minimum abundance"), std::string::npos) << below.out.str();

    BlockBench none({}, 1.0f, 1.0f);
    ASSERT_FALSE(none.build());
    EXPECT_FALSE(none.wa.derived.community_built);
    EXPECT_NE(none.out.str().find("holds no species"), std::string::npos) << none.out.str();
}

TEST(AssemblageFromRankOrder, AbundancesBeyondWhatCanBeCountedEndTheRun) {
    BlockBench counted({3.0e9f, 10.0f}, 1.0f, 1.0f);
    const auto end = counted.build();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_NE(end->message.find("rank 1"), std::string::npos) << end->message;
    EXPECT_NE(end->message.find("3e+09"), std::string::npos) << end->message;

    BlockBench ratio({1.0f, 1e-10f}, 0.0f, 1e-12f);
    const auto ratio_end = ratio.build();
    ASSERT_TRUE(ratio_end);
    EXPECT_EQ(ratio_end->status, exit_error);
}

}  // namespace
}  // namespace lorvenna
