#pragma once
// The batch parameter file: its template, the row reader, the decoding of a
// row into the parameter set and the checks of the decoded values.
#include <string>
#include <vector>

#include "work_area.hpp"

namespace lorvenna {

// Mode "b": writes lorvenna.txt (header and five example rows).
void write_batch_template(WorkArea& wa);
// Reads the header line of the open batch file; false at end of file.
bool read_batch_header(WorkArea& wa);
// Reads, decodes and checks the next row into the parameter set, prints the
// rescaling line, applies the maxSa clamp.  Ends the program at the end of the
// batch (blank line or end of file) and at the first faulty row.
void read_batch_row(WorkArea& wa);

}  // namespace lorvenna
