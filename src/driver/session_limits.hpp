#pragma once
#include <cstdint>

#include "work_area.hpp"

namespace lorvenna {

// Ends the session in order when the user interrupted it (SIGINT, SIGTERM)
// or when the session's cap on random draws is passed.  Called between
// species and passes, and now and then inside a long placing loop.
void stop_if_requested(WorkArea& wa);

// Steps of a long loop (cell choices, centre redraws) between two calls of
// stop_if_requested: 65536, or fewer under a cap on random draws, so that the
// cap is held to within about a sixteenth of itself.
std::uint32_t steps_between_checks(const WorkArea& wa);

}  // namespace lorvenna
