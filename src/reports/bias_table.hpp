#pragma once
// The summary of bias over the replicates of a sweep: per parameter row and
// design, the mean and standard deviation of every estimator's relative bias
// and of the difference between the fitted and the true species-area slope.
#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "core/report_file.hpp"
#include "statistics/mean_spread.hpp"

namespace lorvenna {

inline constexpr std::array<const char*, 6> estimator_names = {"observed", "bootstrap", "chao2",
                                                               "jack1",    "jack2",     "sar_extrapolated"};

struct BiasGroup {
    long long row = 0;                    // line of the batch file
    std::string design;
    int replicates = 0;
    long long n_units = 0;                // the largest sample, whose estimates are summarised
    std::vector<std::string> parameters;  // values of the parameters that differ between rows
    std::array<MeanSpread, estimator_names.size()> bias;
    MeanSpread z_error;                   // sar_z - true_sar_z
};

// The fixed-width table for the console.
void write_bias_table(std::ostream& out, const std::vector<std::string>& parameter_names,
                      const std::vector<BiasGroup>& groups);
// bias.csv: one row per group, the parameters that differ, means and SDs.
void write_bias_csv(ReportFile& file, const std::vector<std::string>& parameter_names,
                    const std::vector<BiasGroup>& groups);

}  // namespace lorvenna
