#pragma once
// The start-up questions of a session that asks on the console: what to do,
// where the community comes from, whether a batch file is run and which, and
// which extra files a sampling run writes.  Each question repeats until it
// gets an answer it accepts.
#include "core/io_seam.hpp"
#include "core/keyword.hpp"
#include "data/session.hpp"

namespace lorvenna {

// "m", "s" or "b".
Keyword ask_mode(Io& io);
// "yes" or "no" (4 characters): Grid.txt.
Keyword ask_grid_printing(Io& io);
// "g", "m" or "o".
Keyword ask_distribution_source(Io& io);
// "yes" or "no".
Keyword ask_batch_run(Io& io);
// Asks for the name of the batch file until one opens.
void ask_batch_file(Io& io, BatchInput& batch);
// The species whose map is written (0: none).
float ask_map_species(Io& io);
// "yes" or "no": Cells.txt.
Keyword ask_cells(Io& io);

}  // namespace lorvenna
