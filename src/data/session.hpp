#pragma once
// A session: what lives across its passes.  The I/O seam, the options and
// start-up answers, the open reports and tables, the batch file and the
// rank-order file where they are being read, the pass being prepared (its
// parameters carry into short rows, its stream into the next pass) and the
// time spent in each stage over every pass.
#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "core/io_seam.hpp"
#include "core/keyword.hpp"
#include "core/report_file.hpp"
#include "core/stage_times.hpp"
#include "data/pass.hpp"
#include "data/session_options.hpp"

namespace lorvenna {

// Answers of the start-up questions that shape the session.
struct SessionAnswers {
    Keyword mode = keyword("");            // "m", "s" or "b"
    Keyword batch = keyword("no");         // "yes": parameter sets from a batch file
    Keyword source = keyword("g");         // "g" generated, "m"/"o" rank-order file
    Keyword grid_printing = keyword("no", 4);
    float map_species = 0.0f;              // species whose map is written; 0: none
    Keyword cells = keyword("no");         // "yes": Cells.txt
    bool sampling() const { return mode == keyword("s"); }
    bool batch_run() const { return batch == keyword("yes"); }
    bool from_file() const { return source == keyword("m") || source == keyword("o"); }
};

// The open report files of the session, and the tidy tables when asked for.
struct ReportFiles {
    ReportFile distribution{"Distribution.txt"};
    ReportFile sample{"Sample.txt"};
    ReportFile analysis{"Analysis.txt"};
    ReportFile cells{"Cells.txt"};
    ReportFile map{"Map.txt"};
    ReportFile grid{"Grid.txt"};
    ReportFile runs{"runs.csv"};
    ReportFile species{"species.csv"};
    ReportFile samples{"samples.csv"};
    ReportFile curve{"curve.csv"};
    ReportFile units{"units.csv"};
    ReportFile timings{"timings.csv"};
    ReportFile estimates{"estimates.csv"};
    ReportFile occurrences{"occurrences.csv"};
    ReportFile rarefaction{"rarefaction.csv"};
    bool habitat_grids = false;  // habitat-<run>.asc and map-<run>.asc beside the tables
    RarefactionSettings curve_settings;  // the curves of rarefaction.csv, when it is open

    bool tidy() const { return runs.is_open(); }
    std::array<ReportFile*, 15> all() {
        return {&distribution, &sample,  &analysis, &cells, &map,     &grid,      &runs,        &species,
                &samples,      &curve,   &units,    &timings, &estimates, &occurrences, &rarefaction};
    }
    std::array<const ReportFile*, 15> all() const {
        return {&distribution, &sample,  &analysis, &cells, &map,     &grid,      &runs,        &species,
                &samples,      &curve,   &units,    &timings, &estimates, &occurrences, &rarefaction};
    }
    // Opens, on another seam, every file that is open here (the files of a pass run beside others).
    void open_like(const ReportFiles& session, Io& io);
};

// The batch file being read.
struct BatchInput {
    std::unique_ptr<std::istream> file;
    std::string name;
    int rows_read = 0;  // data rows read so far
};

// Where a rank-order file is being read: the record read last (a batch pass
// steps back over it), a record stepped back over (the next read returns it),
// the number of the line read last, and the blocks read so far.
struct RankOrderReader {
    std::unique_ptr<std::istream> file;
    std::string name;
    bool assemblage = false;  // name begins with "Ass" or "ass"
    std::optional<std::string> last_record;
    std::optional<std::string> pending_record;
    long long line_number = 0;
    int blocks_read = 0;
};

struct Session {
    explicit Session(Io& session_io) : io(session_io) {}

    Io& io;
    SessionOptions options;
    SessionAnswers answers;
    ReportFiles reports;
    BatchInput batch;
    RankOrderReader rank_order;

    int iteration = 0;     // passes of the session so far (the "Iteration No." of a batch)
    int replicate = 1;     // replicate of the row the next pass runs
    int exit_status = 0;   // raised by a pass that failed but let the batch go on

    Pass pass;             // the pass being prepared and run
    StageTimes times;      // per stage over every pass (the benchmarks read them)
};

}  // namespace lorvenna
