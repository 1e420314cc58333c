#pragma once
// lorvenna bias DIR: the scores of every estimator (bias, spread, RMSE,
// interval coverage) and of the species-area slope over the replicates of a
// sweep, read from the tidy tables of an output folder (one run or a merged
// sweep): runs.csv, samples.csv and estimates.csv, each read once.
#include <ostream>
#include <string>
#include <string_view>

#include "core/progress.hpp"

namespace lorvenna {

// Prints the table of the estimators of `quantity` (richness, hill1, hill2,
// coverage or all), writes every estimator to DIR/bias.csv; returns the exit
// status.  `progress`, when given, hears of the tables read (it shows itself
// only on a long read).
int summarise_bias(const std::string& dir, std::string_view quantity, std::ostream& out, std::ostream& messages,
                   StepListener* progress = nullptr);

}  // namespace lorvenna
