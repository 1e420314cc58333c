#pragma once
// What the command line asks of a session.  Options that answer the start-up
// questions make a scripted run that asks nothing; without them the session
// asks on the console as it always has.
#include <cstdint>
#include <optional>
#include <string>

#include "core/keyword.hpp"

namespace lorvenna {

// The rarefaction and extrapolation curves of every pass (rarefaction.csv).
struct RarefactionSettings {
    bool curves = false;        // --rarefaction
    int knots = 40;             // --knots K: sizes along the curve, as iNEXT places them
    std::int64_t endpoint = 0;  // --endpoint M: the largest size; 0: twice the sample
    int bootstraps = 50;        // --bootstraps B: replicates of the intervals; 0: none
};

struct SessionOptions {
    std::optional<std::uint32_t> seed;      // --seed: the session's seed word
    // Start-up answers
    std::optional<Keyword> mode;            // --mode m|s|b
    std::optional<std::string> batch;       // --batch FILE
    std::optional<Keyword> source;          // --source g|m|o
    std::optional<std::string> rank_order;  // --rank-order FILE
    bool weights = false;                   // --weights: the rank-order file gives body weights
    bool diagonals = false;                 // --diagonals: Grid.txt
    float map_species = 0.0f;               // --map N: Map.txt for species N
    bool cells = false;                     // --cells: Cells.txt
    // Output
    std::optional<std::string> out;         // --out DIR
    bool tidy = false;                      // --tidy: the tidy tables beside the reports
    bool habitat = false;                   // --habitat: habitat-<run>.asc per pass (with --tidy)
    RarefactionSettings rarefaction;        // --rarefaction, --knots, --endpoint, --bootstraps (with --tidy)
    bool quiet = false;                     // --quiet (no progress either)
    bool progress = false;                  // --progress: plain progress lines, even on a terminal
    bool check = false;                     // --check: check the batch file, run nothing
    // Sweeps
    bool run_seeds = false;                 // --run-seeds: every pass from its own seed word
    int replicates = 1;                     // --replicates K: each row K times
    long long first_row = 0, last_row = 0;  // --rows A:B (data rows, from 1); 0: every row
    int jobs = 1;                           // --jobs N: passes at once
    bool resume = false;                    // --resume: go on where a killed run in --out stopped
    // The model
    std::optional<float> heterogeneity;     // --heterogeneity C: c = C in every pass

    // A scripted run: the start-up questions are answered by the options.
    bool scripted() const { return mode.has_value(); }
};

}  // namespace lorvenna
