#pragma once
// The scores of an estimator over the replicates of a study, as methods
// papers give them (Walther and Moore 2005, Ecography 28: 815; Chiu et al.
// 2014, Biometrics 70: 671): with the relative error r = (estimate - truth) /
// truth of each replicate,
//   bias       mean and standard deviation (divisor m - 1) of r
//   accuracy   root mean squared r (RMSE) and mean |r| (MAE)
//   intervals  the share of replicates whose 95 % interval holds the truth
//              (of those with an interval), and the mean width of the
//              interval relative to the truth
// and, in the units of the estimate, the mean and standard deviation of
// estimate - truth.  Every mean runs over the replicates where its value is
// finite (an estimate that is NaN, a truth of 0 for r); NaN where none is.
#include <vector>

#include "statistics/mean_spread.hpp"

namespace lorvenna {

struct ReplicateEstimate {
    double truth, estimate, lower95, upper95;  // NaN where undefined
};

struct EstimatorScores {
    MeanSpread truth, estimate, relative_bias, error;
    double rmse_relative = 0.0, mae_relative = 0.0;
    double ci_coverage = 0.0, relative_ci_width = 0.0;
};

EstimatorScores score_estimator(const std::vector<ReplicateEstimate>& replicates);

}  // namespace lorvenna
