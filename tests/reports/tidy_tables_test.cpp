// The tidy tables hold the values of the fixed-width reports in full
// precision, with NA exactly where a report writes a guarded 0, for every
// design; a scripted run writes the reports of the same run answered in the
// dialogue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "core/csv_table.hpp"
#include "support/session_runner.hpp"
#include "support/work_bench.hpp"

namespace lorvenna::testing {
namespace {

std::string demo_batch() {
    std::ifstream in(std::string(LORVENNA_SOURCE_DIR) + "/demo/designs.txt", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

CsvTable table(const SessionResult& r, const std::string& name) {
    std::istringstream in(r.file(name));
    auto t = read_csv_table(in);
    EXPECT_TRUE(t) << name;
    return t ? *t : CsvTable{};
}

std::vector<std::string> fields(const std::string& line) {
    std::istringstream s(line);
    std::vector<std::string> f;
    for (std::string w; s >> w;) f.push_back(w);
    return f;
}

// A value of a table against the value a report prints with `decimals`: equal
// once rounded the same way; NA exactly where the report prints 0.
void expect_mirrors(const std::string& tidy, const std::string& printed, int decimals, const std::string& what) {
    const double shown = std::stod(printed);
    if (tidy == "NA") {
        EXPECT_EQ(shown, 0.0) << what << ": NA where the report shows " << printed;
        return;
    }
    EXPECT_LE(std::fabs(std::stod(tidy) - shown), 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + 1e-12)
        << what << ": " << tidy << " in the table, " << printed << " in the report";
}

TEST(TidyTables, EverySampleAndCurveValueMirrorsItsReportForEveryDesign) {
    SessionOptions o;
    o.mode = keyword("s");
    o.batch = "designs.txt";
    o.tidy = true;
    const SessionResult r = run_script({{}, 2026, {{"designs.txt", demo_batch()}}, {}, o});
    ASSERT_EQ(r.status, 0) << r.console;
    const CsvTable samples = table(r, "samples.csv"), curve = table(r, "curve.csv");
    const auto col = [](const CsvTable& t, const char* name) { return *t.column(name); };
    const auto sample_lines = lines(r.file("Sample.txt")), analysis = lines(r.file("Analysis.txt"));

    // Sample.txt: the statistics rows follow their header in every pass.
    std::vector<std::vector<std::string>> statistics;
    for (std::size_t i = 0; i < sample_lines.size(); ++i)
        if (sample_lines[i].rfind("No. species", 0) == 0)
            for (std::size_t j = i + 1; j < sample_lines.size() && !sample_lines[j].empty() &&
                                        fields(sample_lines[j]).size() == 11;
                 ++j)
                statistics.push_back(fields(sample_lines[j]));
    ASSERT_EQ(statistics.size(), samples.rows.size());

    // Analysis.txt: after the legend, per pass an optional empty line and the
    // settings block, eight rows per sample size, four scaling rows.
    std::size_t at = 12, curve_row = 0;
    std::string run;
    for (std::size_t k = 0; k < samples.rows.size(); ++k) {
        const auto& s = samples.rows[k];
        const std::string what = "run " + s[col(samples, "run")] + " n " + s[col(samples, "n_units")];
        if (s[col(samples, "run")] != run) {
            if (!run.empty()) at += 4 + 1;  // scaling rows, empty line
            at += 4;
            run = s[col(samples, "run")];
        }
        const auto st = statistics[k];
        EXPECT_EQ(s[col(samples, "species")], st[0]) << what;
        expect_mirrors(s[col(samples, "individuals")], st[1], 0, what + " individuals");
        expect_mirrors(s[col(samples, "fisher_alpha")], st[8], 4, what + " alpha");
        EXPECT_EQ(s[col(samples, "area")], st[9]) << what;
        std::vector<std::vector<std::string>> rows;
        for (int i = 0; i < 8; ++i) rows.push_back(fields(analysis[at++]));
        const auto& seventh = rows[6];
        EXPECT_EQ(s[col(samples, "singletons")], seventh[6]) << what;
        EXPECT_EQ(s[col(samples, "doubletons")], seventh[7]) << what;
        expect_mirrors(s[col(samples, "bootstrap_summand")], seventh[4], 1, what + " bootstrap");
        const char* fits[] = {"sar_c", "sar_z", "sar_r2", "semilog_a", "semilog_b", "semilog_r2", "ear_c", "ear_z", "ear_r2"};
        for (int f = 0; f < 9; ++f) expect_mirrors(s[col(samples, fits[f])], rows[7][f], 5, what + " " + fits[f]);
        // The points of the curve: rows 1, 2, 4, 5 and 6 of the pass.
        const int n = std::stoi(s[col(samples, "n_units")]);
        for (int i = 0; i < n; ++i, ++curve_row) {
            const auto& c = curve.rows[curve_row];
            EXPECT_EQ(c[col(curve, "unit")], std::to_string(i + 1));
            EXPECT_EQ(c[col(curve, "area")], rows[0][i]) << what;
            EXPECT_EQ(c[col(curve, "niches")], rows[1][i]) << what;
            expect_mirrors(c[col(curve, "new_species")], rows[3][i], 1, what + " new species");
            EXPECT_EQ(c[col(curve, "endemics")], rows[4][i]) << what;
            expect_mirrors(c[col(curve, "cumulative_species")], rows[5][i], 1, what + " cumulative");
        }
    }
    EXPECT_EQ(curve_row, curve.rows.size());
}

TEST(TidyTables, TheTruthBoundsEveryObservationAndTheNestedCurveIsItsOwnTruth) {
    SessionOptions o;
    o.mode = keyword("s");
    o.batch = "designs.txt";
    o.tidy = true;
    const SessionResult r = run_script({{}, 2026, {{"designs.txt", demo_batch()}}, {}, o});
    const CsvTable samples = table(r, "samples.csv"), curve = table(r, "curve.csv");
    const auto col = [](const CsvTable& t, const char* name) { return *t.column(name); };
    for (const auto& s : samples.rows) {
        EXPECT_GE(std::stoi(s[col(samples, "true_species_square")]), std::stoi(s[col(samples, "species")]));
        EXPECT_GE(std::stoi(s[col(samples, "true_species_grid")]), std::stoi(s[col(samples, "true_species_square")]));
        EXPECT_EQ(std::stod(s[col(samples, "est_observed")]), std::stod(s[col(samples, "species")]));
    }
    int nested_points = 0;
    for (const auto& c : curve.rows) {
        const auto& s = *std::find_if(samples.rows.begin(), samples.rows.end(), [&](const auto& row) {
            return row[col(samples, "run")] == c[col(curve, "run")];
        });
        if (s[col(samples, "design")] != "seq") continue;
        EXPECT_EQ(c[col(curve, "true_species")], c[col(curve, "species")]);
        EXPECT_EQ(c[col(curve, "true_area")], c[col(curve, "area")]);
        ++nested_points;
    }
    EXPECT_GT(nested_points, 0);
}

TEST(TidyTables, AScriptedRunWritesTheReportsOfTheDialogue) {
    SessionOptions o;
    o.mode = keyword("s");
    o.batch = "designs.txt";
    o.cells = true;
    o.map_species = 3;
    o.diagonals = true;
    const std::map<std::string, std::string> inputs = {{"designs.txt", demo_batch()}};
    const SessionResult scripted = run_script({{}, 2026, inputs, {}, o});
    const SessionResult dialogue = run_session_with({"s", "yes", "g", "yes", "designs.txt", "3", "yes"}, 2026, inputs);
    ASSERT_EQ(scripted.status, 0);
    EXPECT_EQ(scripted.files, dialogue.files);
}

}  // namespace
}  // namespace lorvenna::testing
