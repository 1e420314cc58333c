// lorvenna bias: the scores of every estimator over the replicates of a
// sweep, checked against values worked out by hand for three replicates.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/csv_table.hpp"
#include "driver/session.hpp"
#include "support/session_runner.hpp"
#include "support/work_bench.hpp"
#include "sweeps/bias_command.hpp"

namespace fs = std::filesystem;

namespace lorvenna::testing {
namespace {

CsvTable read_table(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    auto t = read_csv_table(in);
    EXPECT_TRUE(t.has_value()) << p;
    return t ? *t : CsvTable{};
}

double value(const CsvTable& t, const std::vector<std::string>& row, const std::string& column) {
    const std::string& text = row[*t.column(column)];
    return text == "NA" ? std::nan("") : std::stod(text);
}

// Three replicates of one dep row at run seeds, its estimates.csv replaced by
// rows whose scores are worked out by hand below.
struct ThreeReplicates {
    TempDir dir;
    ThreeReplicates() {
        std::ofstream(dir.path() / "row.txt")
            << batch_header << "\n"
            << batch_row({{"Areal", "30"}, {"Method", "dep"}, {"maxSa", "6"}, {"minSa", "3"}, {"StepSa", "3"}}) << "\n";
        SessionOptions o;
        o.mode = keyword("s");
        o.batch = "row.txt";
        o.tidy = o.run_seeds = o.quiet = true;
        o.replicates = 3;
        o.seed = 7;
        o.out = "out";
        std::istringstream in;
        std::ostringstream out, messages;
        fs::create_directories(dir.path() / "out");
        Io io{in, out, dir.path() / "out", real_file_system()};
        io.input_dir = dir.path();
        io.messages = &messages;
        EXPECT_EQ(run_session(io, o), 0) << messages.str();
        // Truth 10 throughout.  chao2: estimates 12, 9, 10 with the intervals
        // [8, 14] (holds 10), [9, 9.5] (misses it) and none.  ace: 5, 20, NA
        // without intervals.  The rows of the smaller sample (n = 3) would
        // spoil every score if they were counted.
        std::ofstream e(dir.path() / "out" / "estimates.csv");
        e << "run,n_units,quantity,basis,estimator,estimate,se,lower95,upper95,truth,relative_bias,covered\n";
        const char* rows[3][2] = {{"12,1,8,14", "5,NA,NA,NA"}, {"9,1,9,9.5", "20,NA,NA,NA"}, {"10,NA,NA,NA", "NA,NA,NA,NA"}};
        for (int run = 1; run <= 3; ++run) {
            e << run << ",3,richness,incidence,chao2,1000,1,0,2000,10,99,TRUE\n";
            e << run << ",6,richness,incidence,chao2," << rows[run - 1][0] << ",10,0,NA\n";
            e << run << ",6,richness,abundance,ace," << rows[run - 1][1] << ",10,0,NA\n";
        }
    }
    fs::path out() const { return dir.path() / "out"; }
};

TEST(Bias, ScoresOfThreeReplicatesAsWorkedOutByHand) {
    const ThreeReplicates r;
    std::ostringstream table, messages;
    ASSERT_EQ(summarise_bias(r.out().string(), "all", table, messages), 0) << messages.str();
    const CsvTable bias = read_table(r.out() / "bias.csv");
    const CsvTable samples = read_table(r.out() / "samples.csv");
    ASSERT_EQ(bias.rows.size(), 4u) << "chao2, ace, the SAR extrapolation and the SAR slope of the one group";

    struct Expected {
        const char* quantity;
        const char* basis;
        const char* estimator;
        double mean_estimate, mean_bias, sd_bias, rmse, mae, coverage, width, mean_error;
    };
    const double nan = std::nan("");
    const Expected expected[] = {
        // r = 0.2, -0.1, 0: mean 1/30, SD sqrt(((1/6)^2 + (2/15)^2 + (1/30)^2) / 2), RMSE sqrt(0.05/3);
        // one of two intervals holds 10; widths 6/10 and 0.5/10.
        {"richness", "incidence", "chao2", 31.0 / 3.0, 1.0 / 30.0,
         std::sqrt((1.0 / 36.0 + 4.0 / 225.0 + 1.0 / 900.0) / 2.0), std::sqrt(0.05 / 3.0), 0.1, 0.5, 0.325, 1.0 / 3.0},
        // r = -0.5, 1 (the third replicate has no estimate): no interval at all.
        {"richness", "abundance", "ace", 12.5, 0.25, std::sqrt(2.0 * 0.75 * 0.75), std::sqrt(1.25 / 2.0), 0.75, nan, nan,
         2.5},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Expected& x = expected[i];
        const auto& row = bias.rows[i];
        EXPECT_EQ(row[*bias.column("quantity")] + row[*bias.column("basis")] + row[*bias.column("estimator")],
                  std::string(x.quantity) + x.basis + x.estimator);
        EXPECT_EQ(row[*bias.column("replicates")], "3");
        EXPECT_EQ(row[*bias.column("n_units")], "6");
        const std::pair<const char*, double> scores[] = {
            {"mean_truth", 10.0},           {"mean_estimate", x.mean_estimate}, {"mean_relative_bias", x.mean_bias},
            {"sd_relative_bias", x.sd_bias}, {"rmse_relative", x.rmse},          {"mae_relative", x.mae},
            {"ci_coverage", x.coverage},    {"mean_relative_ci_width", x.width}, {"mean_error", x.mean_error}};
        for (const auto& [column, want] : scores) {
            const double got = value(bias, row, column);
            if (std::isnan(want))
                EXPECT_TRUE(std::isnan(got)) << x.estimator << " " << column << " " << got;
            else
                EXPECT_NEAR(got, want, 1e-12) << x.estimator << " " << column;
        }
    }

    // The SAR rows come from the largest sample of each run in samples.csv.
    double sar_bias = 0.0, z_error = 0.0;
    for (const auto& s : samples.rows)
        if (s[*samples.column("n_units")] == "6") {
            sar_bias += value(samples, s, "bias_sar_extrapolated") / 3.0;
            z_error += (value(samples, s, "sar_z") - value(samples, s, "true_sar_z")) / 3.0;
        }
    EXPECT_EQ(bias.rows[2][*bias.column("estimator")], "sar_extrapolated");
    EXPECT_NEAR(value(bias, bias.rows[2], "mean_relative_bias"), sar_bias, 1e-12);
    EXPECT_EQ(bias.rows[3][*bias.column("quantity")], "sar_z");
    EXPECT_NEAR(value(bias, bias.rows[3], "mean_error"), z_error, 1e-12);
}

TEST(Bias, TheConsoleTableShowsTheQuantityAskedFor) {
    const ThreeReplicates r;
    {  // A Hill-number row joins the folder's estimates.
        std::ofstream(r.out() / "estimates.csv", std::ios::app) << "1,6,hill1,abundance,estimated,4,NA,NA,NA,5,-0.2,NA\n";
    }
    const auto lines_of = [&](const char* quantity) {
        std::ostringstream table, messages;
        EXPECT_EQ(summarise_bias(r.out().string(), quantity, table, messages), 0) << messages.str();
        return lines(table.str());
    };
    const auto has = [](const std::vector<std::string>& l, const std::string& word) {
        int n = 0;
        for (const std::string& line : l) n += line.find(word) != std::string::npos ? 1 : 0;
        return n;
    };
    const std::vector<std::string> richness = lines_of("richness"), hill = lines_of("hill1"), all = lines_of("all");
    EXPECT_EQ(richness.size(), 5u) << "head, chao2, ace, SAR extrapolation, SAR slope";
    EXPECT_EQ(has(richness, "hill1"), 0);
    EXPECT_EQ(hill.size(), 2u);
    EXPECT_EQ(has(hill, "estimated"), 1);
    EXPECT_EQ(all.size(), 6u);
    EXPECT_EQ(read_table(r.out() / "bias.csv").rows.size(), 5u) << "bias.csv holds every quantity whatever is shown";
}

TEST(Bias, AFolderWithoutEstimatesIsRefusedWithItsCause) {
    const ThreeReplicates r;
    fs::remove(r.out() / "estimates.csv");
    std::ostringstream table, messages;
    EXPECT_EQ(summarise_bias(r.out().string(), "richness", table, messages), 1);
    EXPECT_NE(messages.str().find("estimates.csv"), std::string::npos) << messages.str();
}

}  // namespace
}  // namespace lorvenna::testing
