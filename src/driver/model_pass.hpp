#pragma once
#include "work_area.hpp"

namespace lorvenna {

// One pass of the model for the parameter set in the work area: settings
// block, model start, community, and in a sampling run the grid, placement,
// samples and their analyses; then the whole-community statistics.
// Returns false when the community could not be built (nothing more is written).
bool run_model_pass(WorkArea& wa);

// Ends the session in order when the user interrupted it (SIGINT, SIGTERM)
// or when the session's cap on random draws is passed.
void stop_if_requested(WorkArea& wa);

}  // namespace lorvenna
