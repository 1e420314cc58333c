#pragma once
// A check of a whole batch file before anything runs.
#include <string>
#include <vector>

#include "core/io_seam.hpp"
#include "data/session.hpp"

namespace lorvenna {

struct RowFault {
    long long line = 0;   // line of the batch file (the header is line 1); 0: the file as a whole
    std::string message;  // as a run prints it
    std::string cause;    // the batch column whose check failed; empty for any other fault
};

struct BatchCheck {
    int rows = 0;  // data rows read
    std::vector<RowFault> faults;
    long long blocks_end = 0;  // line of the first row left without a rank-order block (a run ends there); 0: none
};

// Reads every row of the batch file as a run with these start-up answers
// would, short rows keeping what earlier rows leave, with every rank-order
// block, and lists each row a run would stop at or fail on: an unreadable row,
// a failed check, a pass refused by the memory guard, a community that cannot
// be built.  Runs nothing and draws nothing.
BatchCheck check_batch_file(Io& io, const SessionAnswers& answers, const std::string& batch_name,
                            const std::string& rank_order_name, bool weights);

// "runs.txt:3: Error while reading method of sampling: Seq" (the row of an
// unreadable token on a second line).
std::string fault_line(const std::string& batch_name, const RowFault& fault);

}  // namespace lorvenna
