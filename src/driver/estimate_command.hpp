#pragma once
// lorvenna estimate: the estimators and curves that Lorvenna holds against
// the truth, run on a user's own field data.
#include <cstdint>
#include <optional>
#include <string>

#include "core/io_seam.hpp"
#include "data/session_options.hpp"
#include "input/field_data.hpp"

namespace lorvenna {

struct EstimateOptions {
    FieldDataKind kind = FieldDataKind::abundance;  // --abundance, --incidence, --incidence-raw
    std::string file;                               // the data file
    std::optional<std::uint32_t> seed;              // --seed: the bootstraps' seed word; none: from the clock
    RarefactionSettings curves;                     // --rarefaction, --knots, --endpoint, --bootstraps
};

// Reads the data file (looked for in io.input_dir) and writes estimates.csv
// and, with --rarefaction, rarefaction.csv in io.dir.  Data the reader
// refuses are named on the messages (the line, the column and why) and
// nothing is written.  Returns the exit status.
int run_estimate_command(Io& io, const EstimateOptions& options);

}  // namespace lorvenna
