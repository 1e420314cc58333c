// The community of a rank-order block: whole individuals or relative
// abundances, default body weights and the weight classes they fall in.
#include "community/assemblage_from_rank_order.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/work_bench.hpp"

namespace lorvenna {
namespace {

using testing::ends;

// A rank-order block as the reader leaves it: one weight per row, 0 where none was read.
struct BlockBench : testing::WorkBench {
    BlockBench(const std::vector<float>& abundances, float maxD, float min_abundance,
               const std::vector<float>& weights = {}) {
        pass.params.maxD = maxD;
        pass.derived.min_abundance = min_abundance;
        RankOrderBlock& r = pass.rank_order;
        r.file_name = "dist.txt";
        r.rows = static_cast<int>(abundances.size());
        r.abundance = abundances;
        r.body_weights = !weights.empty();
        r.weight.assign(abundances.size(), 0.0f);
        for (std::size_t i = 0; i < weights.size() && i < abundances.size(); ++i) r.weight[i] = weights[i];
    }
    CommunityOutcome outcome;
    std::optional<ProgramEnd> build() {
        return ends([this] { outcome = build_community_from_rank_order(pass.params, pass.derived, pass.rank_order, pass.community); });
    }
    std::vector<float> classes() const {
        return {pass.community.class_freq.begin() + 1, pass.community.class_freq.begin() + 1 + std::max(outcome.weight_classes, 0)};
    }
};

TEST(AssemblageFromRankOrder, CountedIndividualsAreRoundedAndRowsBelowTheMinimumLeftOut) {
    // maxD > 0: whole individuals; the minimum abundance of the run is 2 individuals.
    BlockBench b({120.4f, 3.7f, 2.5f, 1.6f, 0.4f, -3.0f}, 1.0f, 2.0f);
    ASSERT_FALSE(b.build());
    ASSERT_TRUE(b.outcome.built && b.pass.derived.community_built);
    ASSERT_EQ(b.pass.community.species.size(), 6u) << "one table row per block row";
    EXPECT_EQ(b.pass.derived.species, 6);
    const auto& s = b.pass.community.species;
    const float individuals[] = {120.0f, 4.0f, 3.0f, 2.0f, 0.0f, 0.0f};  // halves away from zero; 2 is kept
    for (std::size_t i = 0; i < s.size(); ++i) {
        EXPECT_EQ(s[i].abundance, individuals[i]) << "row " << i + 1;
        EXPECT_EQ(s[i].number, static_cast<float>(i + 1));
    }
    EXPECT_EQ(s[4].weight, 0.0f) << "rows below the minimum leave empty rows at the end";
    EXPECT_FLOAT_EQ(s[1].undisturbed, 3.7f) << "the value read is kept beside the individuals";
    EXPECT_EQ(b.pass.derived.smallest_abundance, 2.0f);
    EXPECT_EQ(b.pass.derived.max_abundance, 120.0f);
    EXPECT_DOUBLE_EQ(b.pass.community.totals.individuals, 129.0);
}

TEST(AssemblageFromRankOrder, DefaultWeightsFollowEnergeticEquivalenceFromTheFirstEnteredRow) {
    // The first row is below the minimum; the reference is the second (1000 individuals).
    BlockBench b({0.2f, 1000.0f, 125.0f, 1.0f, 2000.0f}, 1.0f, 1.0f);
    ASSERT_FALSE(b.build());
    const auto& s = b.pass.community.species;
    EXPECT_FLOAT_EQ(s[0].weight, 1.0f);
    EXPECT_NEAR(s[1].weight, 16.0f, 1e-3f);    // (1000 / 125)^(4/3)
    EXPECT_NEAR(s[2].weight, 10000.0f, 0.5f);  // (1000 / 1)^(4/3)
    EXPECT_FLOAT_EQ(s[3].weight, 1.0f) << "a commoner species further down is not lighter than 1";
    // Weights 1 and 1 in class 1, 16 in class 4, 10000 in class 14.
    std::vector<float> classes(14, 0.0f);
    classes[0] = 2.0f;
    classes[3] = classes[13] = 1.0f;
    EXPECT_EQ(b.classes(), classes);
    EXPECT_NEAR(b.pass.community.totals.biomass, 1000.0 + 16.0 * 125.0 + 10000.0 + 2000.0, 1.0);
}

TEST(AssemblageFromRankOrder, WeightsFromTheFileAreUsedWhenGiven) {
    BlockBench b({50.0f, 20.0f, 5.0f}, 1.0f, 1.0f, {3.0f, 0.0f, 40.0f});
    ASSERT_FALSE(b.build());
    const auto& s = b.pass.community.species;
    EXPECT_FLOAT_EQ(s[0].weight, 3.0f);
    EXPECT_NEAR(s[1].weight, std::pow(2.5f, 4.0f / 3.0f), 1e-4f) << "a weight of 0 takes the default";
    EXPECT_FLOAT_EQ(s[2].weight, 40.0f);
    EXPECT_EQ(b.classes(), (std::vector<float>{0, 2, 0, 0, 0, 1})) << "3 and 3.39 in class 2, 40 in class 6";
}

TEST(AssemblageFromRankOrder, RelativeAbundancesStayAndEmptyCommunitiesFailThePass) {
    // maxD 0: no rounding; the placement divides by the smallest abundance.
    BlockBench relative({0.5f, 0.3f, 0.15f, 0.05f}, 0.0f, 1e-12f);
    ASSERT_FALSE(relative.build());
    ASSERT_TRUE(relative.pass.derived.community_built);
    EXPECT_FLOAT_EQ(relative.pass.community.species[3].abundance, 0.05f);
    EXPECT_FLOAT_EQ(relative.pass.derived.smallest_abundance, 0.05f);

    BlockBench below({0.3f, 0.2f}, 1.0f, 1.0f);
    ASSERT_FALSE(below.build());
    EXPECT_FALSE(below.outcome.built || below.pass.derived.community_built);
    EXPECT_TRUE(below.pass.community.species.empty());
    EXPECT_EQ(below.outcome.error,
              " Error while building the community: no abundance of the block reaches the minimum abundance of 1");

    BlockBench none({}, 1.0f, 1.0f);
    ASSERT_FALSE(none.build());
    EXPECT_FALSE(none.pass.derived.community_built);
    EXPECT_EQ(none.outcome.error,
              " Error while building the community: the block of the distribution file dist.txt holds no species");
}

TEST(AssemblageFromRankOrder, AbundancesBeyondWhatCanBeCountedEndTheRun) {
    BlockBench counted({3.0e9f, 10.0f}, 1.0f, 1.0f);
    const auto end = counted.build();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_EQ(end->message, " Error while reading the abundance of rank 1 in the distribution file dist.txt (more "
                            "individuals than can be counted): 3e+09");

    BlockBench ratio({1.0f, 1e-10f}, 0.0f, 1e-12f);
    ASSERT_FALSE(ratio.build());
    EXPECT_FALSE(ratio.outcome.built);
    EXPECT_EQ(ratio.outcome.fatal.rfind(" Error while reading the distribution file dist.txt: the commonest", 0), 0u)
        << ratio.outcome.fatal;
}

}  // namespace
}  // namespace lorvenna
