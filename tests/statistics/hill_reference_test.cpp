// Observed and estimated Hill numbers of order 0, 1, 2 and the sample
// coverage against iNEXT 3.0.2 (AsyEst to 1e-8 relative, DataInfo's SC to its
// four decimals) on the 22 reference data sets.
#include <gtest/gtest.h>

#include <map>

#include "statistics/hill_numbers.hpp"
#include "statistics/reference_tables.hpp"

namespace lorvenna {
namespace {

// iNEXT sums the incidence estimator of q = 2, (U/T)^2 / (D0 - D1) with
// D0 = U/T and D0 - D1 = sum Y (Y - 1) / (T (T - 1)), in a float: its value
// is off by up to half a float's unit in D0 and in the difference, relative to
// the difference.  Our double value must agree within that and no more.
double float_sum_tolerance(const FrequencyCounts& counts) {
    const double t = static_cast<double>(counts.size), u = static_cast<double>(counts.total);
    double pairs = 0.0;
    for (const FrequencyClass& c : counts.classes)
        pairs += static_cast<double>(c.species) * static_cast<double>(c.times) * static_cast<double>(c.times - 1);
    const double difference = pairs / (t * (t - 1.0));
    return std::ldexp(1.0, -24) * (u / t / difference + 1.0);
}

TEST(HillReference, ObservedEstimatedAndCoverageAgreeWithINEXT) {
    std::map<std::string, reference::DataSet> sets;
    for (const auto& d : reference::data_sets()) sets[d.name] = d;
    int checked = 0;
    for (const auto& r : reference::rows("estimators.csv")) {
        if (r[1].rfind("iNEXT", 0) != 0) continue;
        const reference::DataSet& d = sets.at(r[0]);
        const FrequencyCounts counts = d.counts();
        const HillNumbers h = hill_numbers(counts);
        const double expected = reference::number(r[3]);
        const std::string what = r[0] + " " + r[2];
        if (r[2] == "sample coverage SC") {
            EXPECT_NEAR(h.coverage, expected, 0.00005 + 1e-12) << what;
            ++checked;
            continue;
        }
        const int q = r[2].rfind("Species", 0) == 0 ? 0 : r[2].rfind("Shannon", 0) == 0 ? 1 : 2;
        const bool observed = r[2].find("observed") != std::string::npos;
        const double mine = observed ? h.observed[q] : h.estimated[q];
        const double relative = (!observed && q == 2 && d.incidence) ? 1e-8 + float_sum_tolerance(counts) : 1e-8;
        EXPECT_NEAR(mine, expected, relative * std::fabs(expected)) << what;
        ++checked;
    }
    EXPECT_EQ(checked, 22 * 7);
}

}  // namespace
}  // namespace lorvenna
