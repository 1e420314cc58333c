#pragma once
// The start of a model: fractal coefficient conversion, niche level and
// phase, heterogeneity factor, superposition term count.
#include "work_area.hpp"

namespace lorvenna {

void start_model(WorkArea& wa);

}  // namespace lorvenna
