#pragma once
// The interactive parameter dialogue: every value asked, checked against its
// range and asked again until valid; then the derived values and the echo.
#include "work_area.hpp"

namespace lorvenna {

void run_parameter_dialogue(WorkArea& wa);

}  // namespace lorvenna
