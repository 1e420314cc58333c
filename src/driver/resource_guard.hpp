#pragma once
#include <cstdint>

#include "work_area.hpp"

namespace lorvenna {

// Bytes the arrays of one pass need for the current parameter set.
std::uint64_t pass_memory_bytes(const WorkArea& wa);
// Ends the session with a message naming the sizes when the arrays of the
// pass would not fit in this machine's memory.
void check_pass_resources(WorkArea& wa);

}  // namespace lorvenna
