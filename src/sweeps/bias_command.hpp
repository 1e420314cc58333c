#pragma once
// lorvenna bias DIR: the bias of every richness estimator and of the
// species-area slope over the replicates of a sweep, read from the tidy
// tables of an output folder (one run or a merged sweep).
#include <ostream>
#include <string>

#include "core/progress.hpp"

namespace lorvenna {

// Prints the table, writes DIR/bias.csv; returns the exit status.  `progress`,
// when given, hears of the tables read (it shows itself only on a long read).
int summarise_bias(const std::string& dir, std::ostream& out, std::ostream& messages,
                   StepListener* progress = nullptr);

}  // namespace lorvenna
