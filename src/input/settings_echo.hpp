#pragma once
#include "work_area.hpp"

namespace lorvenna {

// The settings echo on the console: an empty line, 78 dashes and three lines of values.
void print_settings_echo(const WorkArea& wa);

}  // namespace lorvenna
