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
    bool rarefaction = false; // --rarefaction: rarefaction.csv, the curves of every pass's largest sample
    int knots = 40;           // --knots K
    int bootstraps = 50;      // --bootstraps B
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

// What `lorvenna estimate --abundance|--incidence|--incidence-raw FILE
// [--rarefaction --knots K] --bootstraps B --seed SEED` would be asked, the file's text
// held in memory.
struct EstimateRequest {
    std::string data;                    // the data file: a header line, then one line per species
    std::string datatype = "abundance";  // "abundance", "incidence_freq" or "incidence_raw"
    bool rarefaction = false;
    int knots = 40;
    int bootstraps = 50;
    std::uint32_t seed = 1;
};

// The first fault of data the reader refuses: its line (the header is line
// 1), its field (1-based; 0: the line as a whole), the column's name when it
// has one, the reason, and the whole message as the engine words it.
struct DataFault {
    long long line = 0;
    std::size_t column = 0;
    std::string assemblage;
    std::string reason;
    std::string described;
};

struct EstimateResult {
    int status = 0;                            // the exit status the command line would give
    std::string messages;                      // its errors, one per line
    std::map<std::string, std::string> files;  // estimates.csv and rarefaction.csv
    bool refused = false;                      // the reader refused the data (status 1, no files)
    DataFault fault;                           // why, when refused
};

// Runs the estimators (and curves) on the data.  Throws std::invalid_argument
// for a datatype the engine does not know.
EstimateResult run_estimate(const EstimateRequest& request);


}  // namespace lorvenna_py
