#pragma once
// Placement of individuals: the species order, range centres along the
// habitat gradient, clumped placing under niche limits.
#include <cstdint>
#include <vector>

#include "placement/reached_cells.hpp"
#include "work_area.hpp"

namespace lorvenna {

// Random reordering of the species table before placement.
void shuffle_species(std::vector<SpeciesRow>& species, RandomStream& random);
// Allocates the habitat grid and the cell counts of the model.
void prepare_placement(WorkArea& wa);

// What became of one species.
struct PlacementOutcome {
    std::int64_t placed = 0;  // individuals placed
    std::int64_t target = 0;  // OrigInd as a whole number
    bool gave_up = false;     // the species could not be placed whole
    bool off_grid = false;    // ... because its range does not reach the grid
};

// Places every individual of the species at table position sp (1-based):
// rebuilds the grid and redraws c as the parameters ask, draws the range centre,
// runs the placing loop and records AssInd.  `reached` lists the cells the
// species reaches, for the next species and for the tally of the samples.
PlacementOutcome place_species(WorkArea& wa, int sp, ReachedCells& reached);
// Draws the offset of the sampled square (once per model, after the first species).
void draw_sampled_square(WorkArea& wa);

}  // namespace lorvenna
