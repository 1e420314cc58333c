#pragma once
// One pass of the model, stage by stage in the order the pass runs them.
#include "core/io_seam.hpp"
#include "data/pass.hpp"
#include "data/session.hpp"

namespace lorvenna {

// Where a pass writes and what it reads of its session: the console and the
// file system, the report files and tables, and the start-up answers.
struct PassOutlet {
    Io& io;
    ReportFiles& reports;
    const SessionAnswers& answers;
};

// Which pass of the session this is: its number, the line of the batch file
// (0: the dialogue's parameters) and the replicate of that row.
struct PassIdentity {
    int run = 1;
    long long line = 0;
    int replicate = 1;
};

// One pass of the model for the parameter set of `pass`: settings block,
// model start, community, and in a sampling run the grid, placement, samples
// and their analyses; then the whole-community statistics.  The pass's
// record and its stage times are kept in pass.record.  Returns false when the
// community could not be built (nothing more is written).
bool run_model_pass(Pass& pass, const PassOutlet& out, const PassIdentity& id);

}  // namespace lorvenna
