#pragma once
#include <cstdint>

#include "work_area.hpp"

namespace lorvenna {

// Bytes the arrays of one pass need for the current parameter set.
std::uint64_t pass_memory_bytes(const WorkArea& wa);
// Ends the session with a message naming the sizes when the arrays of the
// pass would not fit in this machine's memory.
void check_pass_resources(const WorkArea& wa);
// Individuals the placement will put on the grid (all species), and the most of one species.
double individuals_to_place(const WorkArea& wa, double* largest);
// Ends the session when one species would bring more individuals than a cell
// count can hold, or when the session's cap on individuals is exceeded.
void check_individuals_to_place(const WorkArea& wa);

}  // namespace lorvenna
