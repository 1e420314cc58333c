// estimates.csv and occurrences.csv: every estimator beside its truth, held
// against the tables of the same golden sessions (the incidence and
// abundances behind samples.csv, the truth of species.csv, the units of
// units.csv); and the new tables change nothing else a pass writes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "batch/batch_file.hpp"
#include "core/csv_table.hpp"
#include "pass/model_pass.hpp"
#include "reports/tidy_tables.hpp"
#include "support/work_bench.hpp"

namespace fs = std::filesystem;

namespace lorvenna::testing {
namespace {

struct Table {
    CsvTable t;
    const std::string& at(const std::vector<std::string>& row, const char* column) const {
        const auto c = t.column(column);
        if (!c) throw std::logic_error(std::string("no column ") + column);
        return row[*c];
    }
    double number(const std::vector<std::string>& row, const char* column) const {
        const std::string& text = at(row, column);
        return text == "NA" ? std::nan("") : std::stod(text);
    }
};

Table read_table(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    auto t = read_csv_table(in);
    if (!t) throw std::runtime_error("cannot read " + p.string());
    return {std::move(*t)};
}

// The estimators of every sample size, in the order of the table.
const std::vector<std::string> estimator_order = {
    "richness incidence observed",  "richness incidence homogeneous", "richness incidence chao2",
    "richness incidence chao2_bc",  "richness incidence ichao2",      "richness incidence ice",
    "richness incidence ice1",      "richness incidence jack1",       "richness incidence jack2",
    "richness incidence bootstrap", "richness abundance observed",    "richness abundance homogeneous",
    "richness abundance homogeneous_mle", "richness abundance chao1", "richness abundance chao1_bc",
    "richness abundance ichao1",    "richness abundance ace",         "richness abundance ace1",
    "richness abundance jack1",     "richness abundance jack2",       "hill1 abundance observed",
    "hill1 abundance estimated",    "hill2 abundance observed",       "hill2 abundance estimated",
    "coverage abundance estimated"};

const char* const sampling_sessions[] = {"every_design", "sampling_dialogue", "rank_order_weights",
                                         "rank_order_assemblage", "saturated_niches", "short_rows"};

TEST(EstimateTables, EveryEstimatorReadsTheSampleOfSamplesCsvAndStandsBesideItsTruth) {
    for (const char* session : sampling_sessions) {
        SCOPED_TRACE(session);
        const fs::path out = fs::path(LORVENNA_SOURCE_DIR) / "tests" / "golden" / session / "out";
        const Table samples = read_table(out / "samples.csv"), estimates = read_table(out / "estimates.csv"),
                    species = read_table(out / "species.csv");
        ASSERT_EQ(estimates.t.rows.size(), samples.t.rows.size() * estimator_order.size());
        // The square's truth of every run, from species.csv.
        struct Square {
            double individuals = 0, squares = 0, entropy = 0, found = 0;
        };
        std::map<std::string, Square> square;
        std::map<std::string, std::vector<std::pair<double, double>>> abundances;  // in_square, in_sample
        for (const auto& s : species.t.rows)
            if (species.at(s, "in_square") != "NA")
                abundances[species.at(s, "run")].push_back({species.number(s, "in_square"), species.number(s, "in_sample")});
        for (const auto& [run, list] : abundances) {
            Square& q = square[run];
            for (const auto& [x, sampled] : list) q.individuals += x, q.found += sampled > 0 ? x : 0.0;
            for (const auto& [x, sampled] : list)
                if (x > 0) q.squares += (x / q.individuals) * (x / q.individuals), q.entropy -= x / q.individuals * std::log(x / q.individuals);
        }
        std::map<std::string, double> largest;
        for (const auto& s : samples.t.rows)
            largest[samples.at(s, "run")] = std::max(largest[samples.at(s, "run")], samples.number(s, "n_units"));

        for (std::size_t i = 0; i < samples.t.rows.size(); ++i) {
            const auto& s = samples.t.rows[i];
            const std::string run = samples.at(s, "run");
            const bool at_largest = samples.number(s, "n_units") == largest[run];
            std::map<std::string, const std::vector<std::string>*> row;
            for (std::size_t k = 0; k < estimator_order.size(); ++k) {
                const auto& e = estimates.t.rows[i * estimator_order.size() + k];
                const std::string name = estimates.at(e, "quantity") + " " + estimates.at(e, "basis") + " " + estimates.at(e, "estimator");
                ASSERT_EQ(name, estimator_order[k]) << "run " << run << " n " << samples.at(s, "n_units");
                ASSERT_EQ(estimates.at(e, "run") + "/" + estimates.at(e, "n_units"), run + "/" + samples.at(s, "n_units"));
                row[name] = &e;
                // Relative bias and coverage follow from the estimate, the interval and the truth.
                const double estimate = estimates.number(e, "estimate"), truth = estimates.number(e, "truth");
                const double lower = estimates.number(e, "lower95"), upper = estimates.number(e, "upper95");
                if (std::isfinite(estimate) && truth > 0)
                    EXPECT_EQ(estimates.number(e, "relative_bias"), (estimate - truth) / truth) << name;
                else
                    EXPECT_EQ(estimates.at(e, "relative_bias"), "NA") << name;
                const std::string covered = !std::isfinite(lower) || !std::isfinite(upper) ? "NA"
                                            : lower <= truth && truth <= upper           ? "TRUE"
                                                                                         : "FALSE";
                EXPECT_EQ(estimates.at(e, "covered"), covered) << name;
                // Resampled intervals (the Hill numbers, the coverage, the incidence
                // bootstrap where it adds to S) are drawn at the largest sample only.
                const bool resampled = name.rfind("hill", 0) == 0 || name.rfind("coverage", 0) == 0 ||
                                       (name == "richness incidence bootstrap" &&
                                        estimate - samples.number(s, "species") > 5e-6);
                if (resampled && !at_largest) {
                    EXPECT_EQ(estimates.at(e, "se"), "NA") << name;
                }
                if (name == "hill1 abundance estimated" && at_largest && samples.number(s, "species") > 1) {
                    EXPECT_TRUE(std::isfinite(estimates.number(e, "se"))) << name << " run " << run;
                }
            }
            const auto estimate = [&](const char* name) { return estimates.at(*row[name], "estimate"); };
            const auto truth = [&](const char* name) { return estimates.number(*row[name], "truth"); };
            // The incidence is that of singletons, doubletons and the bootstrap summand:
            // the estimates of samples.csv to the last digit.  Where the second-order
            // jackknife falls below the species seen, SpadeR's rule gives S; an empty
            // sample estimates nothing.
            const bool empty = samples.at(s, "species") == "0";
            for (const auto& [name, column] : {std::pair{"richness incidence chao2", "est_chao2"},
                                               {"richness incidence jack1", "est_jack1"},
                                               {"richness incidence bootstrap", "est_bootstrap"}})
                EXPECT_EQ(estimate(name), empty ? "NA" : samples.at(s, column)) << name;
            EXPECT_EQ(estimate("richness incidence observed"), samples.at(s, "est_observed"));
            const bool below = samples.number(s, "est_jack2") < samples.number(s, "est_observed") - 5e-6;
            EXPECT_EQ(estimate("richness incidence jack2"),
                      empty ? "NA" : below ? samples.at(s, "est_observed") : samples.at(s, "est_jack2"));
            // The abundances are the individuals of the sample statistics.
            EXPECT_EQ(estimate("richness abundance observed"), samples.at(s, "species"));
            // The truths.
            const Square& q = square[run];
            for (const char* name : {"richness incidence observed", "richness abundance ace"})
                EXPECT_EQ(truth(name), samples.number(s, "true_species_square"));
            EXPECT_NEAR(truth("hill1 abundance observed"), std::exp(q.entropy), 1e-12 * std::exp(q.entropy));
            EXPECT_NEAR(truth("hill1 abundance estimated"), std::exp(samples.number(s, "true_shannon")), 1e-12 * std::exp(q.entropy));
            EXPECT_NEAR(truth("hill2 abundance observed"), 1.0 / q.squares, 1e-12 / q.squares);
            EXPECT_NEAR(truth("hill2 abundance estimated"), samples.number(s, "true_inverse_simpson"), 1e-12 / q.squares);
            if (at_largest) {
                EXPECT_NEAR(truth("coverage abundance estimated"), q.found / q.individuals, 1e-15);
            }
            EXPECT_LE(truth("coverage abundance estimated"), 1.0);
        }
    }
}

TEST(EstimateTables, OccurrencesAreTheUnitsOfTheLargestSampleSpeciesBySpecies) {
    for (const char* session : sampling_sessions) {
        SCOPED_TRACE(session);
        const fs::path out = fs::path(LORVENNA_SOURCE_DIR) / "tests" / "golden" / session / "out";
        const Table occurrences = read_table(out / "occurrences.csv"), units = read_table(out / "units.csv"),
                    species = read_table(out / "species.csv");
        std::map<std::string, std::pair<double, double>> unit;  // species, individuals
        std::map<std::string, double> occupied;
        for (const auto& o : occurrences.t.rows) {
            EXPECT_GT(occurrences.number(o, "individuals"), 0) << "absent species have no row";
            auto& u = unit[occurrences.at(o, "run") + "/" + occurrences.at(o, "unit")];
            u.first += 1;
            u.second += occurrences.number(o, "individuals");
            occupied[occurrences.at(o, "run") + "/" + occurrences.at(o, "species")] += 1;
        }
        for (const auto& u : units.t.rows) {
            const auto it = unit.find(units.at(u, "run") + "/" + units.at(u, "unit"));
            const std::pair<double, double> found = it == unit.end() ? std::pair{0.0, 0.0} : it->second;
            EXPECT_EQ(found.first, units.number(u, "species")) << "unit " << units.at(u, "unit");
            EXPECT_EQ(found.second, units.number(u, "individuals")) << "unit " << units.at(u, "unit");
        }
        for (const auto& s : species.t.rows)
            if (species.at(s, "units_occupied") != "NA") {
                EXPECT_EQ(occupied[species.at(s, "run") + "/" + species.at(s, "species")], species.number(s, "units_occupied"));
            }
    }
}

// One pass of every design, reshuffled, as a batch runs it, with the tidy
// tables in memory; `estimates`: with estimates.csv and occurrences.csv.
struct DesignPasses : WorkBench {
    explicit DesignPasses(bool estimates) : WorkBench("", 4242) {
        std::string rows = batch_header + "\n";
        for (const char* design : {"seq", "ind", "oct", "dep", "lin"})
            rows += batch_row({{"Areal", "40"}, {"Method", design}, {"maxSa", "6"}, {"minSa", "2"}, {"StepSa", "2"},
                               {"Species", "30"}, {"Aggr", "2"}, {"Permut", "3"}, {"Sampfac", "2"}}) + "\n";
        session.batch.file = std::make_unique<std::istringstream>(rows);
        session.batch.name = "runs.txt";
        session.answers.mode = keyword("s");
        session.answers.batch = keyword("yes");
        EXPECT_TRUE(read_batch_header(session));
        ReportFiles& r = session.reports;
        for (ReportFile* f : {&r.distribution, &r.sample, &r.analysis}) f->open(io);
        open_tidy_tables(r, io, false);
        if (!estimates) {
            r.estimates.close();
            r.occurrences.close();
        }
        for (int run = 1; run <= 5; ++run) {
            EXPECT_NE(read_and_settle_row(session, true), RowRead::end);
            run_model_pass(pass, PassOutlet{io, r, session.answers}, PassIdentity{run, run + 1, 1});
        }
        for (ReportFile* f : r.all()) f->flush();
    }
};

TEST(EstimateTables, TheNewTablesLeaveEveryOtherFileAndTheStreamAsTheyWere) {
    DesignPasses with(true), without(false), again(true);
    EXPECT_EQ(with.pass.random.uniform_draws(), without.pass.random.uniform_draws());
    EXPECT_EQ(with.pass.random.seed(), without.pass.random.seed()) << "the stream goes on from the same word";
    for (const char* name : {"Distribution.txt", "Sample.txt", "Analysis.txt", "runs.csv", "species.csv",
                             "samples.csv", "curve.csv", "units.csv"})
        EXPECT_TRUE(with.files.text(name) == without.files.text(name)) << name << " changed with the new tables";
    EXPECT_EQ(lines(with.files.text("estimates.csv")).size() - 1,
              (lines(with.files.text("samples.csv")).size() - 1) * estimator_order.size());
    for (const char* name : {"estimates.csv", "occurrences.csv"})
        EXPECT_TRUE(with.files.text(name) == again.files.text(name)) << name << " is not reproducible";
}

}  // namespace
}  // namespace lorvenna::testing
