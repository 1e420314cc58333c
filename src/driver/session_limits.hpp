#pragma once
#include "work_area.hpp"

namespace lorvenna {

// Ends the session in order when the user interrupted it (SIGINT, SIGTERM)
// or when the session's cap on random draws is passed.  Called between
// species and passes, and now and then inside a long placing loop.
void stop_if_requested(WorkArea& wa);

}  // namespace lorvenna
