// The samples the reference tables do not hold: no data, one species,
// singletons only, one sampling unit, incidences beyond the units, a
// second-order jackknife below the observed richness.  Each gives the value
// its header documents, and never a crash.
#include <gtest/gtest.h>

#include <cmath>

#include "statistics/diversity_curve.hpp"
#include "statistics/hill_numbers.hpp"
#include "statistics/richness_by_abundance.hpp"
#include "statistics/richness_by_incidence.hpp"

namespace lorvenna {
namespace {

const Estimate& named(const std::array<NamedEstimate, 10>& table, const std::string& name) {
    for (const NamedEstimate& e : table)
        if (name == e.name) return e.value;
    throw std::runtime_error("no estimator " + name);
}

TEST(EstimatorEdgeCases, NoDataAndInvalidIncidenceGiveNaN) {
    const auto empty_abundance = richness_from_abundance(frequency_counts(AbundanceSample{{0, 0}}));
    const auto empty_incidence = richness_from_incidence(frequency_counts(IncidenceSample{5, {}}));
    const auto beyond_units = richness_from_incidence(frequency_counts(IncidenceSample{3, {1, 2, 4}}));
    for (int i = 1; i < 10; ++i) {
        EXPECT_TRUE(std::isnan(empty_abundance[i].value.estimate)) << empty_abundance[i].name;
        EXPECT_TRUE(std::isnan(empty_incidence[i].value.estimate)) << empty_incidence[i].name;
        EXPECT_TRUE(std::isnan(beyond_units[i].value.estimate)) << beyond_units[i].name;
    }
    EXPECT_EQ(empty_abundance[0].value.estimate, 0.0);
    EXPECT_TRUE(std::isnan(beyond_units[0].value.estimate)) << "4 units of 3: the sample is not valid";
    const HillNumbers h = hill_numbers(frequency_counts(AbundanceSample{{}}));
    EXPECT_EQ(h.observed[0], 0.0);
    EXPECT_TRUE(std::isnan(h.estimated[0]) && std::isnan(h.observed[1]) && std::isnan(h.coverage));
}

TEST(EstimatorEdgeCases, OneSpeciesAddsNothing) {
    const FrequencyCounts counts = frequency_counts(AbundanceSample{{7}});
    const auto table = richness_from_abundance(counts);
    for (const char* name : {"homogeneous", "chao1", "chao1_bc", "ichao1", "ace", "ace1", "jack1", "jack2"}) {
        const Estimate& e = named(table, name);
        EXPECT_DOUBLE_EQ(e.estimate, 1.0) << name;
        EXPECT_GE(e.lower95, 1.0) << name << ": the interval of the observed count starts at S";
        EXPECT_GT(e.upper95, e.lower95) << name;
    }
    const HillNumbers h = hill_numbers(counts);
    EXPECT_DOUBLE_EQ(h.estimated[0], 1.0);
    EXPECT_DOUBLE_EQ(h.estimated[2], 1.0);  // 7*6 / (7*6)
    EXPECT_DOUBLE_EQ(h.coverage, 1.0);
}

TEST(EstimatorEdgeCases, SingletonsOnlyLeaveTheCoverageEstimatorsUndefined) {
    const FrequencyCounts counts = frequency_counts(AbundanceSample{{1, 1, 1, 1}});
    const auto table = richness_from_abundance(counts);
    for (const char* name : {"homogeneous", "homogeneous_mle", "ace", "ace1"})
        EXPECT_TRUE(std::isnan(named(table, name).estimate)) << name << ": no coverage among the rare species";
    EXPECT_DOUBLE_EQ(named(table, "chao1").estimate, 4.0 + 0.75 * 4.0 * 3.0 / 2.0);  // no doubletons: f1 (f1 - 1)/2
    EXPECT_DOUBLE_EQ(named(table, "chao1_bc").estimate, 4.0 + 0.75 * 4.0 * 3.0 / 2.0);
    EXPECT_DOUBLE_EQ(named(table, "jack1").estimate, 4.0 + 0.75 * 4.0);
    EXPECT_DOUBLE_EQ(named(table, "jack2").estimate, 4.0 + 4.0 * 5.0 / 4.0);
    EXPECT_TRUE(std::isnan(hill_numbers(counts).estimated[2])) << "no species seen twice: Simpson's estimator is undefined";
}

TEST(EstimatorEdgeCases, OneUnitGivesNoReplication) {
    const auto table = richness_from_incidence(frequency_counts(IncidenceSample{1, {1, 1, 1}}));
    for (const char* name : {"ice", "ice1", "jack2"}) EXPECT_TRUE(std::isnan(named(table, name).estimate)) << name;
    for (const char* name : {"homogeneous", "chao2", "chao2_bc", "jack1", "bootstrap"}) {
        EXPECT_DOUBLE_EQ(named(table, name).estimate, 3.0) << name << ": (T - 1)/T = 0 adds nothing";
        EXPECT_TRUE(std::isnan(named(table, name).se)) << name;
    }
}

TEST(EstimatorEdgeCases, SecondOrderJackknifeIsHeldAtTheObservedRichness) {
    // No singletons and six doubletons among ten units: S + 0 - 64/90 * 6 < S.
    const auto incidence = richness_from_incidence(frequency_counts(IncidenceSample{10, {2, 2, 2, 2, 2, 2, 5}}));
    EXPECT_DOUBLE_EQ(named(incidence, "jack2").estimate, 7.0);
    EXPECT_GE(named(incidence, "jack2").lower95, 7.0);
    const auto abundance = richness_from_abundance(frequency_counts(AbundanceSample{{2, 2, 2, 2, 2, 2, 5}}));
    EXPECT_DOUBLE_EQ(named(abundance, "jack2").estimate, 7.0);
    EXPECT_GE(named(abundance, "jack2").lower95, 7.0);
}

TEST(EstimatorEdgeCases, BootstrapStandardErrorNeedsThePresenceMatrix) {
    // Three units; species 0 in units 0 and 1, species 1 in unit 2, species 2 in unit 0.
    const std::vector<std::vector<int>> presence = {{0, 2}, {0}, {1}};
    const FrequencyCounts counts = frequency_counts(IncidenceSample{3, {2, 1, 1}});
    // q = (1 - Y/3)^3: 1/27, 8/27, 8/27; units holding neither species: (0,1) 0, (0,2) 1, (1,2) 1.
    const double q0 = 1.0 / 27.0, q1 = 8.0 / 27.0;
    const double expected = q0 * (1 - q0) + 2 * q1 * (1 - q1) +
                            2.0 * ((0.0 - q0 * q1) + (1.0 / 27.0 - q0 * q1) + (1.0 / 27.0 - q1 * q1));
    EXPECT_NEAR(bootstrap_richness_variance(presence), expected, 1e-15);
    const Estimate with = named(richness_from_incidence(counts, presence), "bootstrap");
    const Estimate without = named(richness_from_incidence(counts), "bootstrap");
    EXPECT_DOUBLE_EQ(with.estimate, 3.0 + q0 + 2.0 * q1);
    EXPECT_DOUBLE_EQ(with.estimate, without.estimate);
    EXPECT_NEAR(with.se, std::sqrt(expected), 1e-15);
    EXPECT_GE(with.lower95, 3.0);
    EXPECT_TRUE(std::isnan(without.se)) << "incidence frequencies alone cannot give the covariances";
}

TEST(EstimatorEdgeCases, CurvesOfTooLittleDataAreNaNBeyondTheSample) {
    EXPECT_EQ(curve_sizes(1, 2, 40), (std::vector<std::int64_t>{1, 2})) << "sizes below 1 are dropped";
    EXPECT_EQ(curve_sizes(100, 50, 5), (std::vector<std::int64_t>{1, 13, 25, 37, 50}));
    const std::vector<CurvePoint> one = diversity_curve(frequency_counts(AbundanceSample{{1}}), {1, 2}, 20, 5);
    EXPECT_EQ(one[0].part, CurvePart::observed);
    EXPECT_EQ(one[0].diversity[0], 1.0);
    EXPECT_EQ(one[1].part, CurvePart::extrapolated);
    for (int q = 0; q < 3; ++q) EXPECT_TRUE(std::isnan(one[1].diversity[q])) << "one individual: nothing to extrapolate from";
    const std::vector<CurvePoint> none = diversity_curve(frequency_counts(AbundanceSample{{}}), {1, 5}, 20, 5);
    EXPECT_TRUE(std::isnan(none[1].diversity[0]) && std::isnan(none[1].coverage) && std::isnan(none[1].upper95[0]));
}

}  // namespace
}  // namespace lorvenna
