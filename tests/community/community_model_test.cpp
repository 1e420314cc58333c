#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>

#include "community/community_fixture.hpp"
#include "community/community_model.hpp"
#include "community/community_weights.hpp"

namespace lorvenna {
namespace {

using testing::CommunityBench;

float class_sum(const WorkArea& wa, int classes) {
    float sum = 0.0f;
    for (int i = 1; i <= classes; ++i) sum += wa.class_freq[static_cast<std::size_t>(i)];
    return sum;
}

// The line written right after the settings block's "No. of species per weight class".
std::string weight_class_line(const CommunityBench& bench) { return bench.report_lines().at(0); }

TEST(CommunityWeightClasses, FrequenciesAddUpToSpeciesForBothDistributions) {
    CommunityBench normal(20);
    ASSERT_TRUE(class_frequencies(normal.wa.params, normal.wa.class_freq));
    EXPECT_NEAR(class_sum(normal.wa, 5), 20.0f, 1e-4f);
    for (int i : {1, 2, 4, 5}) EXPECT_LT(normal.wa.class_freq[static_cast<std::size_t>(i)], normal.wa.class_freq[3]);
    EXPECT_FLOAT_EQ(normal.wa.class_freq[2], normal.wa.class_freq[4]);  // symmetric around class 3

    CommunityBench logn(20);
    auto& p = logn.wa.params;
    p.SWD = keyword("logn");
    p.Class = 8;
    p.SWDmy = 1.0f;  // mean of ln(class): classes 2 and 3 lie next to e
    p.SWDvar = 0.5f;
    ASSERT_TRUE(class_frequencies(p, logn.wa.class_freq));
    EXPECT_NEAR(class_sum(logn.wa, 8), 20.0f, 1e-4f);
    EXPECT_GT(logn.wa.class_freq[2], logn.wa.class_freq[3]);  // the 1/i factor favours class 2
    EXPECT_GT(logn.wa.class_freq[3], logn.wa.class_freq[1]);
}

TEST(CommunityWeightClasses, ClassParametersFollowTheSpeciesNumber) {
    ParameterSet none;
    none.Species = 20;
    none.Class = 0;
    none.SWDmy = 7.0f;
    adjust_weight_classes(none);
    EXPECT_EQ(none.Class, 20);
    EXPECT_FLOAT_EQ(none.SWDmy, 10.0f);
    EXPECT_FLOAT_EQ(none.SWDvar, std::sqrt(10.0f));

    ParameterSet many;  // more classes than species: the mean shrinks in proportion
    many.Species = 10;
    many.Class = 30;
    many.SWDmy = 6.0f;
    adjust_weight_classes(many);
    EXPECT_EQ(many.Class, 10);
    EXPECT_FLOAT_EQ(many.SWDmy, 2.0f);
    EXPECT_FLOAT_EQ(many.SWDvar, std::sqrt(2.0f));

    ParameterSet large;  // at most 50 classes, mean at most 50
    large.Species = 200;
    large.Class = 0;
    adjust_weight_classes(large);
    EXPECT_EQ(large.Class, 50);
    EXPECT_FLOAT_EQ(large.SWDmy, 50.0f);

    ParameterSet fitting;
    fitting.Species = 30;
    fitting.Class = 5;
    fitting.SWDmy = 3.0f;
    fitting.SWDvar = 1.0f;
    adjust_weight_classes(fitting);
    EXPECT_EQ(fitting.Class, 5);
    EXPECT_FLOAT_EQ(fitting.SWDvar, 1.0f);
}

TEST(CommunityWeightClasses, EmptyLowerClassesAreDroppedAndZeroSpreadConcentrates) {
    CommunityBench far(20, 's');
    far.wa.params.Class = 8;
    far.wa.params.SWDmy = 5.0f;  // classes 1 and 2 hold less than half a species
    build_community(far.wa);
    EXPECT_EQ(weight_class_line(far), "     1     5     8     5     1     0     0     0");
    EXPECT_FLOAT_EQ(far.wa.species[0].weight, 2.0f);  // the first kept class becomes 1..2

    CommunityBench sharp(10, 's');
    sharp.wa.params.SWDvar = 0.0f;  // no spread: every species in the class of the mean
    build_community(sharp.wa);
    EXPECT_EQ(weight_class_line(sharp), "    10     0     0     0     0");
    for (const SpeciesRow& row : sharp.wa.species) {
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
    seq.next(freq);
    EXPECT_EQ(seq.weight, 0.0f);
}

TEST(CommunityFluctuation, ZeroSpreadGivesAPlainUniformFactor) {
    CommunityBench bench(12, 's');
    bench.wa.params.Flucvar = 0.0f;
    bench.wa.params.Dfluc = 0.0f;  // linear-type fluctuation: N = (x - 1) f
    RandomStream replica(12345u);
    build_community(bench.wa);
    EXPECT_EQ(bench.wa.random.uniform_draws(), 4u * 12u);  // r1, r2, r3 and the factor
    EXPECT_EQ(bench.wa.random.normal_draws(), 0u);
    for (const SpeciesRow& row : bench.wa.species) {
        replica.uniform();
        const double r2 = replica.uniform();
        replica.uniform();
        const float u = static_cast<float>(replica.uniform());
        ASSERT_GT(r2, 0.0);
        // maxD > 0 keeps fluctuated values only in a model-only run; abundance is the check here
        EXPECT_EQ(row.abundance, std::trunc(799.0f * u) + 1.0f) << "species " << row.number;
    }
}

TEST(CommunityFluctuation, NormalFactorFollowsTheSpeciesDrawsInOrder) {
    CommunityBench bench(30, 's');
    bench.wa.params.Dfluc = 0.0f;
    RandomStream replica(12345u);
    build_community(bench.wa);
    EXPECT_EQ(bench.wa.random.normal_draws(), 30u);  // mean 0.5, deviation 0.1: never rejected
    for (const SpeciesRow& row : bench.wa.species) {
        replica.uniform();
        replica.uniform();
        replica.uniform();
        replica.uniform();  // the uniform drawn at every attempt
        const float f = static_cast<float>(replica.normal()) * 0.1f + 0.5f;
        EXPECT_EQ(row.abundance, std::trunc(799.0f * f) + 1.0f);
    }
    EXPECT_EQ(bench.wa.random.seed(), replica.seed());
}

TEST(CommunityFluctuation, LogTypeRedrawsFactorsAboveTheLimit) {
    ParameterSet p;
    p.Flucmy = 1.0f;
    p.Flucvar = 1.0f;
    p.Dfluc = 1.0f;  // r2 <= Dfluc: log type, f must stay within [0, 1.1]
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

TEST(CommunityAbundance, WithoutFluctuationTheUndisturbedValueIsRecorded) {
    CommunityBench bench(6, 's');
    auto& p = bench.wa.params;
    p.maxD = 0.0f;  // 1e8 individuals at most, abundances kept as reals
    p.DWD = keyword("power");
    p.DWDmy = 1.0f;
    p.Class = 1;
    p.SWDmy = 1.0f;
    build_community(bench.wa);
    ASSERT_TRUE(bench.wa.derived.community_built);
    for (const SpeciesRow& row : bench.wa.species) {
        EXPECT_FLOAT_EQ(row.abundance, 1.0e8f / row.weight);
        EXPECT_EQ(row.abundance, row.undisturbed);
    }
    EXPECT_FLOAT_EQ(bench.wa.derived.smallest_abundance, 1.0e8f / 2.0f);  // the heaviest species
}

TEST(CommunityAbundance, WholeIndividualsRoundUpFromTheIntegerPart) {
    CommunityBench bench(1, 's');
    auto& p = bench.wa.params;
    p.Areal = 1;
    p.maxD = 5.7f;  // MaxInd 5.7; one species of weight 2: x = 5.7 - 2 = 3.7
    p.Class = 1;
    p.SWDmy = 1.0f;
    p.DWD = keyword("linear");
    p.DWDmy = 2.0f;
    p.Flucmy = 1.0f;
    p.Flucvar = 0.001f;  // N close to 2.7, above the minimum of one individual
    build_community(bench.wa);
    ASSERT_EQ(bench.wa.species.size(), 1u);
    EXPECT_FLOAT_EQ(bench.wa.species[0].undisturbed, 3.7f);
    EXPECT_EQ(bench.wa.species[0].abundance, 4.0f);
}

TEST(CommunityAbundance, SpeciesBelowTheMinimumAreDropped) {
    CommunityBench bench(5, 's');
    bench.wa.derived.min_abundance = 1.0e6f;
    build_community(bench.wa);
    ASSERT_EQ(bench.wa.species.size(), 5u);
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(bench.wa.species[static_cast<std::size_t>(s)].number, static_cast<float>(s + 1));
        EXPECT_EQ(bench.wa.species[static_cast<std::size_t>(s)].weight, 0.0f);
        EXPECT_EQ(bench.wa.species[static_cast<std::size_t>(s)].abundance, 0.0f);
    }
}

TEST(CommunityAbundance, NegativeAbundanceMeansAbsence) {
    CommunityBench bench(4, 'm');
    auto& p = bench.wa.params;
    p.maxD = 0.0f;
    p.Class = 2;
    p.SWDmy = 1.5f;  // two species per class: weights 1.5, 2, 3, 4
    p.DWD = keyword("linear");
    p.DWDmy = 1.0e8f;  // x = 1e8 (2 - W): positive only for the lightest species
    build_community(bench.wa);
    ASSERT_TRUE(bench.wa.derived.community_built);
    EXPECT_DOUBLE_EQ(bench.wa.totals.individuals, 5.0e7);
    const float shares[] = {1.0f, 0.0f, 0.0f, 0.0f};
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(bench.wa.species[static_cast<std::size_t>(s)].abundance, shares[s]);
        EXPECT_GE(bench.wa.species[static_cast<std::size_t>(s)].undisturbed, 0.0f);
    }
}

TEST(CommunityAbundance, DensityFormsWithoutSpreadStayFinite) {
    CommunityBench bench(2, 's');
    auto& p = bench.wa.params;
    p.maxD = 0.0f;
    p.Class = 1;
    p.SWDmy = 1.0f;  // weights 1.5 and 2
    p.DWD = keyword("normal");
    p.DWDmy = 2.0f;
    p.DWDvar = 0.0f;  // all abundance at the weight equal to the mean
    build_community(bench.wa);
    EXPECT_EQ(bench.wa.species[0].abundance, 0.0f);
    EXPECT_EQ(bench.wa.species[1].abundance, 1.0e8f);

    bool known = false;
    EXPECT_EQ(undisturbed_abundance(keyword("logn"), 1.0f, 100.0f, 0.0f, 0.0f, known), 100.0f);
    EXPECT_EQ(undisturbed_abundance(keyword("logn"), 3.0f, 100.0f, 0.0f, 0.0f, known), 0.0f);
    EXPECT_EQ(undisturbed_abundance(keyword("power"), 0.0f, 100.0f, 1.0f, 0.0f, known), 1.0f);
    EXPECT_TRUE(known);
    // Log-type floors keep the logarithm finite.
    EXPECT_FLOAT_EQ(fluctuated_abundance(keyword("rnd"), -5.0f, 0.7f, true), std::exp(-1.0f));
    EXPECT_FLOAT_EQ(fluctuated_abundance(keyword("normal"), 0.0f, 1.0f, true), 1e-7f * std::exp(-1.0f));
}

TEST(CommunityAbundance, RandomFormRecordsTheMaximumInEitherFluctuationKind) {
    CommunityBench bench(30, 's');
    bench.wa.params.Dfluc = 0.5f;  // a mixture of log and linear fluctuations
    build_community(bench.wa);
    for (const SpeciesRow& row : bench.wa.species) EXPECT_EQ(row.undisturbed, 800.0f);
}

TEST(CommunityModel, FailuresLeaveNoCommunity) {
    CommunityBench nothing(0, 'm');
    build_community(nothing.wa);
    EXPECT_FALSE(nothing.wa.derived.community_built);
    EXPECT_NE(nothing.out.str().find(" Error while assigning the weight-classes\n"), std::string::npos);

    CommunityBench unknown(5, 'm');
    unknown.wa.params.DWD = keyword("uniform");
    build_community(unknown.wa);
    EXPECT_FALSE(unknown.wa.derived.community_built);
    EXPECT_TRUE(unknown.wa.species.empty());
    EXPECT_NE(unknown.out.str().find(" Error with the DWD-function\n"), std::string::npos);
}

TEST(CommunityModel, ModelOnlyRunWritesTheSpeciesTable) {
    CommunityBench bench;  // 30 species, the same abundance for all
    build_community(bench.wa);
    ASSERT_TRUE(bench.wa.derived.community_built);
    const auto lines = bench.report_lines();
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines[0], "     2     7    12     7     2");
    EXPECT_EQ(lines[1], "SpeNo          Weight             Ind Density boundary");
    EXPECT_EQ(lines[2], "    1            1.50          801.00          800.00");
    EXPECT_EQ(lines[31], "   30           32.00          801.00          800.00");
    EXPECT_DOUBLE_EQ(bench.wa.totals.individuals, 30.0 * 801.0);
    float biomass = 0.0f;
    for (const SpeciesRow& row : bench.wa.species) biomass += 801.0f * row.weight;
    EXPECT_FLOAT_EQ(bench.wa.totals.biomass, biomass);
    for (const SpeciesRow& row : bench.wa.species) EXPECT_GT(row.fluctuated, 0.0f);
}

TEST(CommunityModel, RelativeAbundancesAreSharesOfTheTotal) {
    CommunityBench bench(4, 'm');
    auto& p = bench.wa.params;
    p.maxD = 0.0f;
    p.Class = 1;
    p.SWDmy = 1.0f;
    p.DWD = keyword("power");
    p.DWDmy = 1.0f;  // x = 1e8 / W for W = 1.25, 1.5, 1.75, 2
    build_community(bench.wa);
    const auto lines = bench.report_lines();
    ASSERT_EQ(lines.size(), 6u);
    double sum = 0.0;
    for (int s = 0; s < 4; ++s) {
        const std::string& row = lines[static_cast<std::size_t>(s + 2)];
        ASSERT_EQ(row.size(), 53u);
        EXPECT_EQ(row.substr(38, 3), " 0.");
        EXPECT_EQ(row.size() - row.find('.', 38) - 1, 12u);  // twelve decimals
        sum += std::stod(row.substr(22, 15));
    }
    EXPECT_NEAR(sum, 1.0, 1e-6);
    EXPECT_NEAR(bench.wa.species[0].abundance / bench.wa.species[3].abundance, 1.6, 1e-5);
}

TEST(CommunityModel, SamplingRunWritesOnlyTheWeightClasses) {
    CommunityBench bench(30, 's');
    build_community(bench.wa);
    EXPECT_EQ(bench.report_lines().size(), 1u);
    EXPECT_EQ(bench.wa.totals.individuals, 0.0);
    EXPECT_EQ(bench.wa.species[4].abundance, 801.0f);
}

}  // namespace
}  // namespace lorvenna
