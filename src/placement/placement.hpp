#pragma once
// Placement of individuals: the species order, range centres along the
// habitat gradient, clumped placing under niche limits.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/io_seam.hpp"
#include "data/grids.hpp"
#include "data/parameters.hpp"
#include "data/species.hpp"
#include "numerics/random_stream.hpp"
#include "placement/clump_sizes.hpp"
#include "placement/reached_cells.hpp"

namespace lorvenna {

// Random reordering of the species table before placement.
void shuffle_species(std::vector<SpeciesRow>& species, RandomStream& random);
// Allocates the habitat grid and the cell counts of the model on the grid
// side of the pass; the sampled square is not yet drawn.
void prepare_placement(Grids& grids, int side);

// What the placement of the species reads and changes besides the species
// itself: the console and the session's limits (for interruptions), the
// parameters, the derived values (the heterogeneity factor c is redrawn per
// species when RndHet is "rnd"), the stream, the grids and the range centre.
struct PlacementState {
    const Io& io;
    const ParameterSet& params;
    DerivedValues& derived;
    const std::optional<float>& given_heterogeneity;  // c in place of every one drawn
    RandomStream& random;
    Grids& grids;
    RangeCentre& centre;
    // The extent of the habitat grid, once a species has needed it; the grid
    // changes only where place_species rebuilds it, which forgets it.
    std::optional<detail::HabitatExtent> habitat_extent = std::nullopt;
};

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

// Places every individual of the species at table position sp (1-based) of
// `species`: rebuilds the grid and redraws c as the parameters ask, draws the
// range centre, runs the placing loop and records AssInd.  `reached` lists
// the cells the species reaches, for the next species and for the tally of
// the samples.
PlacementOutcome place_species(PlacementState& state, std::vector<SpeciesRow>& species, int sp, ReachedCells& reached);
// Draws the offset of the sampled square (once per model, after the first species).
void draw_sampled_square(SampledSquare& square, int grid_side, int square_side, RandomStream& random);

}  // namespace lorvenna
