// The rarefaction and extrapolation curves of Hill numbers of order 0, 1, 2
// and their sample coverage against iNEXT 3.0.2's size-based table (40 knots
// up to twice the sample) for every reference data set iNEXT accepts:
// knots, parts of the curve and values to 1e-8 relative.
#include <gtest/gtest.h>

#include <map>

#include "statistics/diversity_curve.hpp"
#include "statistics/reference_tables.hpp"

namespace lorvenna {
namespace {

struct ReferencePoint {
    int q;
    std::int64_t size;
    std::string method;
    double diversity, coverage;
};

const char* method_of(CurvePart part) {
    return part == CurvePart::interpolated ? "Rarefaction" : part == CurvePart::observed ? "Observed" : "Extrapolation";
}

TEST(CurveReference, EveryKnotAgreesWithINEXT) {
    std::map<std::string, std::vector<ReferencePoint>> expected;
    for (const auto& r : reference::rows("rarefaction.csv"))
        expected[r[0]].push_back({std::stoi(r[2]), std::stoll(r[3]), r[4], reference::number(r[5]), reference::number(r[6])});
    ASSERT_EQ(expected.size(), 22u);
    int points = 0;
    for (const auto& d : reference::data_sets()) {
        const auto& rows = expected.at(d.name);
        const FrequencyCounts counts = d.counts();
        const std::vector<std::int64_t> sizes = curve_sizes(counts.size, 2 * counts.size, 40);
        ASSERT_EQ(sizes.size() * 3, rows.size()) << d.name << ": the knots";
        const std::vector<CurvePoint> curve = diversity_curve(counts, sizes, 0, 1);
        for (const ReferencePoint& r : rows) {
            const auto at = std::find(sizes.begin(), sizes.end(), r.size) - sizes.begin();
            ASSERT_LT(static_cast<std::size_t>(at), sizes.size()) << d.name << ": no knot at " << r.size;
            const CurvePoint& p = curve[static_cast<std::size_t>(at)];
            const std::string what = d.name + " q = " + std::to_string(r.q) + " at " + std::to_string(r.size);
            EXPECT_EQ(method_of(p.part), r.method) << what;
            EXPECT_NEAR(p.diversity[r.q], r.diversity, 1e-8 * std::fabs(r.diversity)) << what;
            EXPECT_NEAR(p.coverage, r.coverage, 1e-8 * std::fabs(r.coverage)) << what << " coverage";
            EXPECT_TRUE(std::isnan(p.lower95[r.q])) << "no bootstrap, no interval";
            ++points;
        }
    }
    EXPECT_EQ(points, 2124);
}

}  // namespace
}  // namespace lorvenna
