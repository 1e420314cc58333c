// rarefaction.csv: the curves of every pass's largest sample beside the true
// curves of its sampled square, drawn without touching the pass's stream.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "core/csv_table.hpp"
#include "statistics/diversity_curve.hpp"
#include "support/session_runner.hpp"

namespace lorvenna::testing {
namespace {

// Every design once (demo/designs.txt), on a 60 x 60 grid.
std::string demo_batch() {
    std::ifstream in(std::string(LORVENNA_SOURCE_DIR) + "/demo/designs.txt", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// With `jobs` 1 and 2 both from run seeds, so that they make the same passes.
SessionResult run_designs(const RarefactionSettings& curves, std::uint32_t seed, int jobs = 0) {
    SessionOptions o;
    o.mode = keyword("s");
    o.batch = "designs.txt";
    o.tidy = true;
    o.rarefaction = curves;
    o.jobs = std::max(jobs, 1);
    o.run_seeds = jobs > 0;
    return run_script({{}, seed, {{"designs.txt", demo_batch()}}, {}, o});
}

CsvTable table(const SessionResult& r, const std::string& name) {
    std::istringstream in(r.file(name));
    const auto t = read_csv_table(in);
    EXPECT_TRUE(t) << name;
    return t ? *t : CsvTable{};
}

// A value of a table as a number.
double value(const CsvTable& t, std::size_t row, const char* column) { return std::stod(t.rows[row][*t.column(column)]); }

RarefactionSettings asked() {
    RarefactionSettings s;
    s.curves = true;
    return s;
}

TEST(RarefactionCurves, EveryOtherFileIsTheSameWithOrWithoutThemAndTheyRepeat) {
    const SessionResult without = run_designs({}, 77), with = run_designs(asked(), 77);
    ASSERT_EQ(without.status, 0) << without.console;
    ASSERT_EQ(with.status, 0) << with.console;
    EXPECT_EQ(without.files.count("rarefaction.csv"), 0u);
    ASSERT_EQ(with.files.count("rarefaction.csv"), 1u);
    EXPECT_EQ(without.console, with.console);
    for (const auto& [name, text] : without.files) {
        if (name == "timings.csv") continue;  // seconds differ between any two runs
        EXPECT_EQ(text, with.file(name)) << name << " changed with the curves";
    }
    EXPECT_EQ(with.files.size(), without.files.size() + 1);

    // The curves repeat: run again, and with passes beside each other from
    // run seeds (every pass's bootstrap from its own seed word).
    EXPECT_EQ(run_designs(asked(), 77).file("rarefaction.csv"), with.file("rarefaction.csv"));
    const SessionResult serial = run_designs(asked(), 78, 1), parallel = run_designs(asked(), 78, 2);
    EXPECT_EQ(parallel.file("rarefaction.csv"), serial.file("rarefaction.csv"));
    EXPECT_NE(serial.file("rarefaction.csv"), with.file("rarefaction.csv")) << "another seed word, other samples";
}

TEST(RarefactionCurves, TheCurveIsTheLargestSamplesAndTheTruthTheSquares) {
    const SessionResult r = run_designs(asked(), 2026);
    ASSERT_EQ(r.status, 0) << r.console;
    const CsvTable curves = table(r, "rarefaction.csv"), samples = table(r, "samples.csv"),
                   species = table(r, "species.csv");
    ASSERT_EQ(curves.columns, (std::vector<std::string>{"run", "q", "m", "method", "estimate", "lower95", "upper95",
                                                         "coverage", "coverage_lower95", "coverage_upper95",
                                                         "true_value", "true_coverage"}));
    for (int run = 1; run <= 5; ++run) {
        const std::string key = std::to_string(run), what = "run " + key;
        // The largest sample of the run: the last row of samples.csv for it.
        std::size_t largest = 0;
        for (std::size_t i = 0; i < samples.rows.size(); ++i)
            if (samples.rows[i][0] == key) largest = i;
        const auto n = static_cast<std::int64_t>(value(samples, largest, "individuals"));
        // The true relative abundances: the individuals of each species in the square.
        std::vector<double> square;
        for (std::size_t i = 0; i < species.rows.size(); ++i)
            if (species.rows[i][0] == key) square.push_back(value(species, i, "in_square"));
        double in_square = 0.0;
        for (const double x : square) in_square += x;

        const std::vector<std::int64_t> knots = curve_sizes(n, 2 * n, 40);
        std::vector<std::size_t> rows;
        for (std::size_t i = 0; i < curves.rows.size(); ++i)
            if (curves.rows[i][0] == key) rows.push_back(i);
        ASSERT_EQ(rows.size(), 3 * knots.size()) << what << ": every q at iNEXT's 40 knots up to twice the sample";
        for (std::size_t j = 0; j < rows.size(); ++j) {
            const std::size_t i = rows[j];
            const auto q = static_cast<int>(value(curves, i, "q"));
            const auto m = static_cast<std::int64_t>(value(curves, i, "m"));
            const std::string at = what + " q " + std::to_string(q) + " m " + std::to_string(m);
            EXPECT_EQ(q, static_cast<int>(j / knots.size())) << at;
            EXPECT_EQ(m, knots[j % knots.size()]) << at;
            EXPECT_EQ(curves.rows[i][3], m < n ? "interpolated" : m == n ? "observed" : "extrapolated") << at;
            const double estimate = value(curves, i, "estimate");
            EXPECT_LE(value(curves, i, "lower95"), estimate + 1e-12) << at;
            EXPECT_GE(value(curves, i, "upper95"), estimate - 1e-12) << at;
            EXPECT_GE(value(curves, i, "coverage_lower95"), 0.0) << at;
            EXPECT_LE(value(curves, i, "coverage_upper95"), 1.0) << at;
            if (m == n) {  // the observed point: the statistics of the largest sample
                const double observed = q == 0   ? value(samples, largest, "species")
                                        : q == 1 ? std::exp(value(samples, largest, "shannon"))
                                                 : value(samples, largest, "inverse_simpson");
                EXPECT_NEAR(estimate, observed, 1e-12 * observed) << at;
            }
            // The truth of q = 0 and the coverage, from the square's abundances.
            double unseen = 0.0, unseen_share = 0.0;
            for (const double x : square) {
                if (x == 0.0) continue;  // not in the square: never drawn
                const double p = x / in_square;
                unseen += std::pow(1.0 - p, static_cast<double>(m));
                unseen_share += p * std::pow(1.0 - p, static_cast<double>(m));
            }
            int present = 0;
            for (const double x : square) present += x > 0.0 ? 1 : 0;
            if (q == 0) {
                EXPECT_NEAR(value(curves, i, "true_value"), present - unseen, 1e-9 * present) << at;
            }
            EXPECT_NEAR(value(curves, i, "true_coverage"), 1.0 - unseen_share, 1e-12) << at;
        }
    }
}

TEST(RarefactionCurves, KnotsEndpointAndBootstrapsShapeThem) {
    RarefactionSettings s = asked();
    s.knots = 10;
    s.endpoint = 700;
    s.bootstraps = 0;
    const SessionResult r = run_designs(s, 2026);
    ASSERT_EQ(r.status, 0) << r.console;
    const CsvTable curves = table(r, "rarefaction.csv"), samples = table(r, "samples.csv");
    std::map<std::string, double> individuals;  // of the largest sample of each run
    for (std::size_t i = 0; i < samples.rows.size(); ++i) individuals[samples.rows[i][0]] = value(samples, i, "individuals");
    std::map<std::string, std::vector<std::int64_t>> sizes;
    for (std::size_t i = 0; i < curves.rows.size(); ++i) {
        if (curves.rows[i][1] == "0") sizes[curves.rows[i][0]].push_back(static_cast<std::int64_t>(value(curves, i, "m")));
        for (const char* bound : {"lower95", "upper95", "coverage_lower95", "coverage_upper95"})
            EXPECT_EQ(curves.rows[i][*curves.column(bound)], "NA") << "no bootstrap, no interval";
    }
    ASSERT_EQ(sizes.size(), 5u);
    for (const auto& [run, m] : sizes) {
        EXPECT_EQ(m, curve_sizes(static_cast<std::int64_t>(individuals[run]), 700, 10)) << "run " << run;
        EXPECT_EQ(m.back(), 700) << "run " << run;
    }
}

}  // namespace
}  // namespace lorvenna::testing
