#pragma once
// The batch parameter file: its template, the row reader, the decoding of a
// row into the parameter set and the checks of the decoded values.
#include <string>
#include <vector>

#include "core/io_seam.hpp"
#include "data/session.hpp"

namespace lorvenna {

// Mode "b": writes lorvenna.txt (header and five example rows).
void write_batch_template(Io& io);
// Reads the header line of the open batch file; false at end of file.
bool read_batch_header(Session& session);
// Whether a row was read, or the batch has ended (a blank line or the end of
// the file).
enum class RowRead { row, end };

// Reads, decodes and checks the next row into the parameter set of the
// session's pass, prints the rescaling line (when `console`), applies the
// maxSa clamp.  Ends the program at the first faulty row.
//
// Reading rules: a line ends at "\n", "\r\n" or "\r" (the last line needs
// no end); fields are separated by blanks or tabs.  A line with text beyond
// 300 characters, more than 50 fields or a field longer than 50 characters
// ends the batch with a message saying which.  Integer columns take whole
// 32-bit numbers only ("10.0" or 3000000000 are unreadable tokens); real
// columns take finite single-precision numbers; keyword columns keep the
// first 7 characters of their token.  The value behind a check message takes
// the listed width as its least width, so a wider value is still shown whole.
// A row whose maxD x Areal x Areal exceeds the individuals a 32-bit count can
// hold ends like a failed check.  Without `console` (rows checked or skipped,
// not run) the rescaling and fractal-kind lines are left out.
RowRead read_and_settle_row(Session& session, bool console);

}  // namespace lorvenna
