#pragma once
// The engine as the Python module sees it: a scripted session over batch
// rows held in memory, and what it leaves behind.  No engine type appears
// here; bridge.cpp is the one file that includes the engine's headers.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

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

// A row the engine refuses: the line of the batch text (the header is line
// 1; 0: the text as a whole), the column of the parameter whose check failed
// (empty for other faults) and the engine's message.
struct RowFault {
    long long line = 0;
    std::string cause;
    std::string message;
};

struct EngineResult {
    int status = 0;                            // the exit status the command line would give
    std::string messages;                      // its warnings and errors, one per line
    std::map<std::string, std::string> files;  // the tables (*.csv) and grids (*.asc) by name
    std::vector<RowFault> faults;              // rows refused before anything ran (status 1)
};

// One parameter of the engine's table, in batch column order.
struct ParameterInfo {
    std::string column;    // the batch header's and the tables' name
    std::string label;     // the reports' settings label
    std::string kind;      // "integer", "real" or "keyword"
    std::string allowed;   // the values its check allows, in words
    std::vector<std::string> keywords;  // the words a keyword parameter takes
};
std::vector<ParameterInfo> engine_parameters();

// Runs the request.  `stop`, when it turns non-zero, ends the session in
// order at the next species or pass: the passes finished so far are in the
// result, and the status is that of an interrupt.
EngineResult run_engine(const EngineRequest& request, const volatile int* stop);

// The template batch file the engine writes in mode "b".
std::string engine_template();


}  // namespace lorvenna_py
