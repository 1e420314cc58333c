#pragma once
// Cells.txt: the design header with the unit areas or coordinates, the niches
// of the units and the individuals of every species in every unit.
#include <string>
#include <vector>

#include "work_area.hpp"

namespace lorvenna {

std::vector<std::string> sample_contents_lines(const WorkArea& wa);

}  // namespace lorvenna
