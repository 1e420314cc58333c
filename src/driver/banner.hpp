#pragma once
#include "work_area.hpp"

namespace lorvenna {

// The start banner: a 55-character frame with the program's name, purpose,
// version and the seed word in use.
void print_banner(const WorkArea& wa);

}  // namespace lorvenna
