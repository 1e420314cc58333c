#pragma once
#include "core/io_seam.hpp"

namespace lorvenna {

// "Runtime of program: " with hours, minutes and seconds since the session began.
void print_runtime_report(Io& io);

}  // namespace lorvenna
