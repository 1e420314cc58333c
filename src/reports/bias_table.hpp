#pragma once
// The scores of every estimator over the replicates of a sweep: per parameter
// row, design and estimator (quantity, basis, name), at the largest sample of
// each run, the bias, spread, accuracy and interval coverage of
// statistics/estimator_scores.hpp, as a console table and as bias.csv.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/report_file.hpp"
#include "statistics/estimator_scores.hpp"

namespace lorvenna {

// What an estimator estimates, from what, under which name: the quantity,
// basis and estimator columns of estimates.csv.  Two more rows come from
// samples.csv: the power species-area extrapolation of the richness (basis
// `area`, estimator `sar_extrapolated`) and the slope of the species-area
// relation (quantity `sar_z`, basis `area`, estimator `power_fit`).
struct EstimatorName {
    std::string quantity, basis, estimator;
};

struct BiasGroup {
    long long row = 0;                    // line of the batch file
    std::string design;
    int replicates = 0;
    long long n_units = 0;                // the largest sample, whose estimates are scored
    std::vector<std::string> parameters;  // values of the parameters that differ between rows
    std::vector<EstimatorScores> scores;  // one per estimator, in the order of the names
};

// The quantities the console table can be asked for (and "all").
bool is_bias_quantity(std::string_view quantity);

// The fixed-width table for the console: one line per group and estimator of
// `quantity` ("richness" also shows the species-area slope; "all" every estimator).
void write_bias_table(std::ostream& out, const std::vector<std::string>& parameter_names,
                      const std::vector<EstimatorName>& estimators, const std::vector<BiasGroup>& groups,
                      std::string_view quantity);
// bias.csv: one row per group and estimator, every quantity.
void write_bias_csv(ReportFile& file, const std::vector<std::string>& parameter_names,
                    const std::vector<EstimatorName>& estimators, const std::vector<BiasGroup>& groups);

}  // namespace lorvenna
