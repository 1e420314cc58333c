#pragma once
#include "work_area.hpp"

namespace lorvenna {

// "Runtime of program: " with hours, minutes and seconds since the session began.
void print_runtime_report(WorkArea& wa);

}  // namespace lorvenna
