#pragma once
// The engine as the Python module sees it: a scripted session over batch
// rows held in memory, and what it leaves behind.  No engine type appears
// here; bridge.cpp is the one file that includes the engine's headers.
#include <cstdint>
#include <map>
#include <string>

namespace lorvenna_py {

// What `lorvenna --mode MODE --batch FILE --tidy --seed SEED [--run-seeds]
// --replicates K --jobs N [--habitat] [--map N] [--rank-order FILE
// [--weights]] --quiet` would be asked.
struct EngineRequest {
    std::string batch;        // a header line and one line per parameter row
    std::string mode = "s";   // "s": model and samples; "m": the model community only
    std::uint32_t seed = 1;
    bool run_seeds = true;
    int replicates = 1;
    int jobs = 1;
    bool habitat = false;     // habitat-<run>.asc per pass
    float map_species = 0.0f; // map-<run>.asc of this species (with habitat)
    std::string rank_order;   // rank-order blocks, one per row; empty: a generated community
    bool weights = false;     // the blocks give a body weight after each abundance
};

struct EngineResult {
    int status = 0;                            // the exit status the command line would give
    std::string messages;                      // its warnings and errors, one per line
    std::map<std::string, std::string> files;  // the tables (*.csv) and grids (*.asc) by name
};

// Runs the request.  `stop`, when it turns non-zero, ends the session in
// order at the next species or pass: the passes finished so far are in the
// result, and the status is that of an interrupt.
EngineResult run_engine(const EngineRequest& request, const volatile int* stop);

// The template batch file the engine writes in mode "b".
std::string engine_template();

// The name the engine knows the batch rows by: its messages begin "params:LINE: ".
extern const char* const batch_name;

}  // namespace lorvenna_py
