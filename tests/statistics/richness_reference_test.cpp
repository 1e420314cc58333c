// Every richness estimator, standard error and interval against SpadeR 0.1.1
// (ChaoSpecies, k = 10, conf = 0.95) on the 22 reference data sets, within the
// three printed decimals; where SpadeR gives no row, the values documented in
// richness_by_abundance.hpp and richness_by_incidence.hpp.
#include <gtest/gtest.h>

#include <map>

#include "statistics/reference_tables.hpp"
#include "statistics/richness_by_abundance.hpp"
#include "statistics/richness_by_incidence.hpp"

namespace lorvenna {
namespace {

const std::map<std::string, std::string> spade_names = {
    {"Homogeneous Model", "homogeneous"},      {"Homogeneous (MLE)", "homogeneous_mle"},
    {"Chao1 (Chao, 1984)", "chao1"},           {"Chao1-bc", "chao1_bc"},
    {"iChao1 (Chiu et al. 2014)", "ichao1"},   {"ACE (Chao & Lee, 1992)", "ace"},
    {"ACE-1 (Chao & Lee, 1992)", "ace1"},      {"1st order jackknife", "jack1"},
    {"2nd order jackknife", "jack2"},          {"Chao2 (Chao, 1987)", "chao2"},
    {"Chao2-bc", "chao2_bc"},                  {"iChao2 (Chiu et al. 2014)", "ichao2"},
    {"ICE (Lee & Chao, 1994)", "ice"},         {"ICE-1 (Lee & Chao, 1994)", "ice1"}};

std::array<NamedEstimate, 10> table_of(const reference::DataSet& d) {
    const FrequencyCounts counts = d.counts();
    return d.incidence ? richness_from_incidence(counts) : richness_from_abundance(counts);
}

const Estimate& find(const std::array<NamedEstimate, 10>& table, const std::string& name) {
    for (const NamedEstimate& e : table)
        if (name == e.name) return e.value;
    throw std::runtime_error("no estimator " + name);
}

// SpadeR prints three decimals: a value agrees within half the last digit.
void expect_printed(double mine, double printed, const std::string& what) {
    if (std::isnan(printed)) {
        EXPECT_TRUE(std::isnan(mine)) << what << ": SpadeR gives NA, we give " << mine;
        return;
    }
    EXPECT_NEAR(mine, printed, 0.0005 + 1e-9 * std::fabs(printed)) << what;
}

TEST(RichnessReference, EveryEstimatorAgreesWithSpadeR) {
    std::map<std::string, reference::DataSet> sets;
    for (const auto& d : reference::data_sets()) sets[d.name] = d;
    ASSERT_EQ(sets.size(), 22u);
    std::map<std::string, int> rows_per_set;
    for (const auto& r : reference::rows("estimators.csv")) {
        if (r[1].rfind("SpadeR", 0) != 0) continue;
        const reference::DataSet& d = sets.at(r[0]);
        const auto table = table_of(d);
        const Estimate& e = find(table, spade_names.at(r[2]));
        const std::string what = r[0] + " " + r[2];
        expect_printed(e.estimate, reference::number(r[3]), what + " estimate");
        expect_printed(e.se, reference::number(r[4]), what + " se");
        expect_printed(e.lower95, reference::number(r[5]), what + " lower95");
        expect_printed(e.upper95, reference::number(r[6]), what + " upper95");
        ++rows_per_set[r[0]];
    }
    EXPECT_EQ(rows_per_set.size(), 21u) << "SpadeR refuses one data set";
    EXPECT_EQ(rows_per_set.count("lognormal_4_abundance"), 0u);
    // There no species is rare (every count above 10): SpadeR stops; every
    // estimator gives the observed richness with the observed-count interval.
    const FrequencyCounts common = sets.at("lognormal_4_abundance").counts();
    const Estimate seen = observed_count_interval(common, 30.0);
    for (const NamedEstimate& e : richness_from_abundance(common)) {
        EXPECT_DOUBLE_EQ(e.value.estimate, 30.0) << e.name;
        if (std::string(e.name) == "observed") continue;
        EXPECT_DOUBLE_EQ(e.value.se, seen.se) << e.name;
        EXPECT_DOUBLE_EQ(e.value.lower95, 30.0) << e.name;
        EXPECT_DOUBLE_EQ(e.value.upper95, seen.upper95) << e.name;
    }
    EXPECT_GT(seen.upper95, 30.0);
}

}  // namespace
}  // namespace lorvenna
