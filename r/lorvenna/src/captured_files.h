#pragma once
// The engine's file system inside an R session: the batch rows and the
// rank-order blocks are served from memory, the tables and grids a session
// writes are kept in memory by file name, and the fixed-width reports, which
// nobody reads here, are dropped as they are written.
#include "core/memory_files.hpp"

namespace lorvenna_r {

// Whether a file of this name is kept: the CSV tables, the ASCII grids and
// the batch template; the fixed-width reports are not.
bool kept(const std::string& name);

// The engine's in-memory files, keeping what kept() names.
lorvenna::MemoryFiles captured_files();

}  // namespace lorvenna_r
