#pragma once
#include "work_area.hpp"

namespace lorvenna {

// One pass of the model for the parameter set in the work area: settings
// block, model start, community, and in a sampling run the grid, placement,
// samples and their analyses; then the whole-community statistics.
// Returns false when the community could not be built (nothing more is written).
bool run_model_pass(WorkArea& wa);


}  // namespace lorvenna
