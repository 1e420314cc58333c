// The generated community: weight classes, body weights, densities with their
// fluctuations, and the order in which it draws from the stream.
#include <gtest/gtest.h>

#include <cmath>

#include "community/community_model.hpp"
#include "community/community_weights.hpp"
#include "numerics/rounding.hpp"
#include "support/work_bench.hpp"

namespace lorvenna {
namespace {

// `species` species on a 20 x 20 grid at up to 2 per cell, random DWD, no
// fluctuation, five normal weight classes around class 3.
struct Community : testing::WorkBench {
    explicit Community(int species = 30, char mode = 's') {
        session.answers.mode = keyword(std::string(1, mode));
        ParameterSet& p = pass.params;
        grid(20);
        p.Species = pass.derived.species = species;
        p.maxD = 2.0f;
        p.DWD = keyword("rnd");
        p.Dfluc = -1.0f;
        p.Flucmy = 0.5f;
        p.Flucvar = 0.1f;
        p.SWD = keyword("normal");
        p.Class = 5;
        p.SWDmy = 3.0f;
        p.SWDvar = 1.0f;
        pass.derived.min_abundance = 1.0f;
    }
    CommunityOutcome build() {
        return build_community(pass.params, pass.derived, !session.answers.sampling(), pass.random, pass.community);
    }
    // Species per weight class as the weight-class line shows them.
    std::vector<std::int64_t> classes(int n) const {
        std::vector<std::int64_t> v;
        for (int i = 1; i <= n; ++i) v.push_back(nearest(pass.community.class_freq[static_cast<std::size_t>(i)]));
        return v;
    }
};

TEST(CommunityWeightClasses, FrequenciesAddUpToTheSpeciesForBothDistributions) {
    std::array<float, max_weight_classes + 1> freq{};
    ASSERT_TRUE(class_frequencies(WeightForm::normal, {5, 3.0f, 1.0f}, 20, freq));
    EXPECT_NEAR(freq[1] + freq[2] + freq[3] + freq[4] + freq[5], 20.0f, 1e-4f);
    for (int i : {1, 2, 4, 5}) EXPECT_LT(freq[static_cast<std::size_t>(i)], freq[3]);
    EXPECT_FLOAT_EQ(freq[2], freq[4]);  // symmetric around class 3

    ASSERT_TRUE(class_frequencies(WeightForm::logn, {8, 1.0f, 0.5f}, 20, freq));  // mean of ln(class) 1
    float sum = 0.0f;
    for (int i = 1; i <= 8; ++i) sum += freq[static_cast<std::size_t>(i)];
    EXPECT_NEAR(sum, 20.0f, 1e-4f);
    EXPECT_GT(freq[2], freq[3]);  // classes 2 and 3 lie next to e; the 1/i factor favours class 2
    EXPECT_GT(freq[3], freq[1]);
}

TEST(CommunityWeightClasses, ClassParametersFollowTheSpeciesNumber) {
    struct Case {
        int species, classes;
        float mean, sd;
        WeightClasses fitted;
    };
    const Case cases[] = {
        {20, 0, 7.0f, 1.0f, {20, 10.0f, std::sqrt(10.0f)}},  // no classes: one per species around species / 2
        {10, 30, 6.0f, 1.0f, {10, 2.0f, std::sqrt(2.0f)}},   // more classes than species: the mean shrinks
        {200, 0, 3.0f, 1.0f, {50, 50.0f, std::sqrt(50.0f)}}, // at most 50 classes, a mean of at most 50
        {30, 5, 3.0f, 1.0f, {5, 3.0f, 1.0f}},                // as given
    };
    for (const Case& c : cases) {
        ParameterSet p;
        p.Class = c.classes;
        p.SWDmy = c.mean;
        p.SWDvar = c.sd;
        const WeightClasses w = fit_weight_classes(p, c.species);
        EXPECT_EQ(w.classes, c.fitted.classes) << c.species << " " << c.classes;
        EXPECT_FLOAT_EQ(w.mean, c.fitted.mean) << c.species << " " << c.classes;
        EXPECT_FLOAT_EQ(w.sd, c.fitted.sd) << c.species << " " << c.classes;
    }
}

TEST(CommunityWeightClasses, EmptyLowerClassesAreDroppedAndZeroSpreadConcentrates) {
    Community far(20);
    far.pass.params.Class = 8;
    far.pass.params.SWDmy = 5.0f;  // classes 1 and 2 hold less than half a species
    EXPECT_EQ(far.build().weight_classes, 8);
    EXPECT_EQ(far.classes(8), (std::vector<std::int64_t>{1, 5, 8, 5, 1, 0, 0, 0}));
    EXPECT_FLOAT_EQ(far.pass.community.species[0].weight, 2.0f) << "the first kept class becomes 1..2";

    Community sharp(10);
    sharp.pass.params.SWDvar = 0.0f;  // no spread: every species in the class of the mean
    sharp.build();
    EXPECT_EQ(sharp.classes(5), (std::vector<std::int64_t>{10, 0, 0, 0, 0}));
    for (const SpeciesRow& row : sharp.pass.community.species) {
        EXPECT_GT(row.weight, 1.0f);
        EXPECT_LE(row.weight, 2.0f);
    }
}

TEST(CommunityWeights, EachClassEndsExactlyAtItsPowerOfTwo) {
    // Class sizes whose single-precision steps do not add up to the bound.
    std::array<float, max_weight_classes + 1> freq{};
    const int sizes[] = {6, 14, 20, 23};
    for (int c = 1; c <= 4; ++c) freq[static_cast<std::size_t>(c)] = static_cast<float>(sizes[c - 1]);
    WeightSequence seq;
    for (int c = 1; c <= 4; ++c) {
        const float lower = std::ldexp(1.0f, c - 1), upper = std::ldexp(1.0f, c);
        for (int j = 1; j <= sizes[c - 1]; ++j) {
            seq.next(freq);
            EXPECT_GT(seq.weight, lower) << "class " << c << " member " << j;
            EXPECT_NEAR(seq.weight, lower + j * (upper - lower) / sizes[c - 1], 1e-5f * upper);
        }
        EXPECT_EQ(seq.weight, upper) << "class " << c;
    }
    seq.next(freq);  // class 5 is empty: no weight from here on
    EXPECT_EQ(seq.weight, 0.0f);
    freq[5] = 2.6f;  // 2.6 species: nearest, three members
    WeightSequence three;
    three.cls = three.exponent = 5;
    for (int j = 1; j <= 3; ++j) three.next(freq);
    EXPECT_EQ(three.weight, 32.0f);
    EXPECT_EQ(three.cls, 6);
}

// Linear-type fluctuation N = (x - 1) f of x = 800: a uniform factor without
// spread, a normal one around Flucmy with it; r1, r2, r3 and a uniform come first.
TEST(CommunityFluctuation, FactorsAndWholeIndividualsFollowTheDrawsOfEachSpecies) {
    for (const float spread : {0.0f, 0.1f}) {
        Community bench(12);
        bench.pass.params.Flucvar = spread;
        bench.pass.params.Dfluc = 0.0f;
        RandomStream replica(12345u);
        bench.build();
        EXPECT_EQ(bench.pass.random.normal_draws(), spread > 0.0f ? 12u : 0u) << "never rejected at 0.5 +- 0.1";
        for (const SpeciesRow& row : bench.pass.community.species) {
            for (int k = 0; k < 3; ++k) replica.uniform();
            float f = static_cast<float>(replica.uniform());
            if (spread > 0.0f) f = static_cast<float>(replica.normal()) * 0.1f + 0.5f;
            EXPECT_EQ(row.abundance, std::trunc(799.0f * f) + 1.0f) << "spread " << spread << " species " << row.number;
        }
        EXPECT_EQ(bench.pass.random.seed(), replica.seed());
    }
}

TEST(CommunityFluctuation, LogTypeRedrawsFactorsAboveTheLimit) {
    ParameterSet p;
    p.Flucmy = 1.0f;
    p.Flucvar = 1.0f;
    p.Dfluc = 1.0f;  // r2 <= Dfluc: log type, f within [0, 1.1]
    RandomStream random(99u);
    for (int i = 0; i < 200; ++i) {
        const float f = fluctuation_factor(random, p, 0.5);
        EXPECT_GE(f, 0.0f);
        EXPECT_LE(f, 1.1f);
    }
    p.Dfluc = 0.0f;  // linear type keeps large factors
    float largest = 0.0f;
    for (int i = 0; i < 200; ++i) largest = std::max(largest, fluctuation_factor(random, p, 0.5));
    EXPECT_GT(largest, 1.1f);
}

TEST(CommunityAbundance, WholeIndividualsAreTheIntegerPartPlusOne) {
    Community bench(1);
    auto& p = bench.pass.params;
    bench.grid(1);
    p.maxD = 5.7f;  // MaxInd 5.7; one species of weight 2: x = 5.7 - 2 = 3.7
    p.Class = 1;
    p.SWDmy = 1.0f;
    p.DWD = keyword("linear");
    p.DWDmy = 2.0f;
    bench.build();
    ASSERT_EQ(bench.pass.community.species.size(), 1u);
    EXPECT_FLOAT_EQ(bench.pass.community.species[0].undisturbed, 3.7f);
    EXPECT_EQ(bench.pass.community.species[0].abundance, 4.0f);
}

TEST(CommunityAbundance, WithoutFluctuationOrMaximumTheUndisturbedValueIsRecorded) {
    Community bench(6);
    auto& p = bench.pass.params;
    p.maxD = 0.0f;  // 1e8 individuals at most, abundances kept as reals
    p.DWD = keyword("power");
    p.DWDmy = 1.0f;
    p.Class = 1;
    p.SWDmy = 1.0f;
    ASSERT_TRUE(bench.build().built);
    for (const SpeciesRow& row : bench.pass.community.species) {
        EXPECT_FLOAT_EQ(row.abundance, 1.0e8f / row.weight);
        EXPECT_EQ(row.abundance, row.undisturbed);
    }
    EXPECT_FLOAT_EQ(bench.pass.derived.smallest_abundance, 1.0e8f / 2.0f) << "the heaviest species";
}

TEST(CommunityAbundance, SpeciesBelowTheMinimumAreDropped) {
    Community bench(5);
    bench.pass.derived.min_abundance = 1.0e6f;
    bench.build();
    ASSERT_EQ(bench.pass.community.species.size(), 5u);
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(bench.pass.community.species[static_cast<std::size_t>(s)].number, static_cast<float>(s + 1));
        EXPECT_EQ(bench.pass.community.species[static_cast<std::size_t>(s)].weight, 0.0f);
        EXPECT_EQ(bench.pass.community.species[static_cast<std::size_t>(s)].abundance, 0.0f);
    }
}

TEST(CommunityAbundance, NegativeAbundanceMeansAbsence) {
    Community bench(4, 'm');
    auto& p = bench.pass.params;
    p.maxD = 0.0f;
    p.Class = 2;
    p.SWDmy = 1.5f;  // two species per class: weights 1.5, 2, 3, 4
    p.DWD = keyword("linear");
    p.DWDmy = 1.0e8f;  // x = 1e8 (2 - W): positive only for the lightest species
    ASSERT_TRUE(bench.build().built);
    EXPECT_DOUBLE_EQ(bench.pass.community.totals.individuals, 5.0e7);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(bench.pass.community.species[static_cast<std::size_t>(s)].abundance, s == 0 ? 5.0e7f : 0.0f);
        EXPECT_GE(bench.pass.community.species[static_cast<std::size_t>(s)].undisturbed, 0.0f);
    }
    express_relative_abundances(bench.pass.community.species, bench.pass.community.totals.individuals);
    EXPECT_EQ(bench.pass.community.species[0].abundance, 1.0f);
    EXPECT_FLOAT_EQ(bench.pass.community.species[0].undisturbed, 1.0f);
}

TEST(CommunityAbundance, DensityFormsWithoutSpreadStayFinite) {
    Community bench(2);
    auto& p = bench.pass.params;
    p.maxD = 0.0f;
    p.Class = 1;
    p.SWDmy = 1.0f;  // weights 1.5 and 2
    p.DWD = keyword("normal");
    p.DWDmy = 2.0f;
    p.DWDvar = 0.0f;  // all abundance at the weight equal to the mean
    bench.build();
    EXPECT_EQ(bench.pass.community.species[0].abundance, 0.0f);
    EXPECT_EQ(bench.pass.community.species[1].abundance, 1.0e8f);

    bool known = false;
    EXPECT_EQ(undisturbed_abundance(DensityForm::logn, 1.0f, 100.0f, 0.0f, 0.0f, known), 100.0f);
    EXPECT_EQ(undisturbed_abundance(DensityForm::logn, 3.0f, 100.0f, 0.0f, 0.0f, known), 0.0f);
    EXPECT_EQ(undisturbed_abundance(DensityForm::power, 0.0f, 100.0f, 1.0f, 0.0f, known), 1.0f);
    EXPECT_TRUE(known);
    // Log-type floors keep the logarithm finite.
    EXPECT_FLOAT_EQ(fluctuated_abundance(DensityForm::random, -5.0f, 0.7f, true), std::exp(-1.0f));
    EXPECT_FLOAT_EQ(fluctuated_abundance(DensityForm::normal, 0.0f, 1.0f, true), 1e-7f * std::exp(-1.0f));
}

TEST(CommunityModel, FailuresLeaveNoCommunity) {
    Community nothing(0, 'm');
    CommunityOutcome outcome = nothing.build();
    EXPECT_FALSE(outcome.built);
    EXPECT_FALSE(nothing.pass.derived.community_built);
    EXPECT_EQ(outcome.error, " Error while assigning the weight-classes");
    EXPECT_EQ(outcome.weight_classes, -1) << "no weight-class line";

    Community unknown(5, 'm');
    unknown.pass.params.DWD = keyword("uniform");
    outcome = unknown.build();
    EXPECT_FALSE(unknown.pass.derived.community_built);
    EXPECT_TRUE(unknown.pass.community.species.empty());
    EXPECT_EQ(outcome.error, " Error with the DWD-function");
    EXPECT_EQ(outcome.weight_classes, 5);
}

TEST(CommunityModel, ModelOnlyRunsAddUpTheCommunitySamplingRunsDoNot) {
    Community model(30, 'm');  // every species at 801 individuals
    const CommunityOutcome outcome = model.build();
    EXPECT_TRUE(outcome.built && outcome.table_started);
    EXPECT_DOUBLE_EQ(model.pass.community.totals.individuals, 30.0 * 801.0);
    float biomass = 0.0f;
    for (const SpeciesRow& row : model.pass.community.species) {
        biomass += 801.0f * row.weight;
        EXPECT_EQ(row.undisturbed, 800.0f);
        EXPECT_GT(row.fluctuated, 0.0f);
    }
    EXPECT_FLOAT_EQ(model.pass.community.totals.biomass, biomass);
    const CommunityStatistics st = statistics_of_community(model.pass.community.species, false, model.pass.params.DivInd.kind());
    EXPECT_EQ(st.species, 30);
    EXPECT_EQ(st.individuals, 30.0 * 801.0);

    Community sampled(30, 's');
    sampled.build();
    EXPECT_EQ(sampled.pass.community.totals.individuals, 0.0);
    for (SpeciesRow& row : sampled.pass.community.species) row.assigned = row.number <= 3.0f ? 10.0f : 0.0f;
    EXPECT_EQ(statistics_of_community(sampled.pass.community.species, true, sampled.pass.params.DivInd.kind()).individuals, 30.0) << "the individuals placed count";
}

}  // namespace
}  // namespace lorvenna
