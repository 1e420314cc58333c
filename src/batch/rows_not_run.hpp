#pragma once
// Rows of a batch that are read but not run: rows checked before a scripted
// run, and the rows before a slice of a sweep.  What a pass of such a row
// would leave for the next short row is set without a single random draw,
// since none of it depends on the stream.
#include <optional>
#include <string>

#include "data/session.hpp"

namespace lorvenna {

// After read_and_settle_row: reads the row's rank-order block (when the
// community comes from a file) and sets the values a pass would derive: the
// species of the block, the fitted weight classes, the Hurst exponent and the
// niche level.  With `verify` it also builds what a pass would build before
// its first draw and returns why that pass would fail: a block without a
// species the run can count, weight classes that cannot be assigned.  Ends
// like the run would (ProgramEnd) on a faulty block; nothing when the blocks
// of the rank-order file have run out (the run would end normally here).
std::optional<std::string> settle_without_pass(Session& session, bool verify);

// The values a pass of the current row derives that the next short row keeps
// (fitted weight classes, Hurst exponent, niche level), set the way the pass
// sets them, once the row is settled and its rank-order block read.
void derive_carried_values(Session& session);

}  // namespace lorvenna
