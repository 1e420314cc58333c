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

// Why a species could not be placed whole.
enum class Shortfall {
    none,
    range_off_grid,   // its range centre could not be drawn on the grid, or its reach misses the grid
    rarely_reached,   // its placing steps almost never land on the grid
    cells_full,       // the cells within its reach have no room left (niche limit)
};

// What became of one species.
struct PlacementOutcome {
    std::int64_t placed = 0;  // individuals placed
    std::int64_t target = 0;  // OrigInd as a whole number
    Shortfall shortfall = Shortfall::none;
};

// Places every individual of the species at table position sp (1-based):
// rebuilds the grid and redraws c as the parameters ask, draws the range centre,
// runs the placing loop and records AssInd.  `reached` lists the cells the
// species reaches, for the next species and for the tally of the samples.
PlacementOutcome place_species(WorkArea& wa, int sp, ReachedCells& reached);
// Draws the offset of the sampled square (once per model, after the first species).
void draw_sampled_square(WorkArea& wa);

}  // namespace lorvenna
