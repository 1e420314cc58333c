#pragma once
// Rank-order distribution files (sources "m" and "o"; both are read alike).
//
// Lines end at "\n", "\r\n" or "\r".  Lines before a line beginning with
// "*" are passed over; then one record per species: the abundance (and with
// body weights the weight) as the first fields, separated by blanks, tabs or
// commas; further fields are ignored and blank lines are skipped.  A block
// ends at the first other record, at the end of the file or after 10000 rows.
// Only the first 300 characters of a line are read; a record whose numbers
// run past them ends the run with a message.
//
// An assemblage file (name beginning with "Ass" or "ass") holds, per
// assemblage: a title line that does not begin with a number, the head record
// (species number, model type, z, X, truncation factor), any lines, the "*"
// line and the records.  The title of the next assemblage ends a block; the
// reposition of a batch pass reads the head record after it.
#include <string>

#include "core/io_seam.hpp"
#include "data/rank_order.hpp"
#include "data/session.hpp"

namespace lorvenna {

// Asks for the file, opens it and reads its head.
void open_rank_order_file(Io& io, RankOrderReader& reader, RankOrderBlock& block);
// Opens the named file and reads its head, with or without body weights.
void open_rank_order_file(Io& io, RankOrderReader& reader, RankOrderBlock& block, const std::string& name,
                          bool weights);
// Reads the next block into `block`; its rows are the species of the pass.
// False when the blocks have run out (the end of a batch that reads one per
// pass); a file without any block ends the program with an error.
bool read_rank_order_block(RankOrderReader& reader, RankOrderBlock& block);
// Positions the file for the next pass of a batch run.
void reposition_rank_order_file(RankOrderReader& reader, RankOrderBlock& block);

}  // namespace lorvenna
