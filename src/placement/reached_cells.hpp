#pragma once
// The list of cells a species reaches, kept while it is placed so that the
// next species and the tallies of the samples need not sweep the whole grid.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "data/grids.hpp"

namespace lorvenna {

// The cells the species last placed has reached, one grid index
// ((x-1)*side + y-1) each and none twice: every cell whose count it raised
// and, under a niche limit, every cell where it was counted.  Resets and
// sample tallies then visit these cells instead of the whole grid.  The list
// is kept only up to an eighth of the grid; a species that reaches more cells
// leaves it incomplete, and whole-grid sweeps take over.
struct ReachedCells {
    std::unique_ptr<std::uint32_t[]> cells;  // room for `capacity` indices, the first `count` in use
    std::size_t capacity = 0;
    std::size_t count = 0;
    int species = 0;        // table position of the species the list describes; 0: none
    int side = 0;           // grid side the indices refer to
    bool complete = false;  // every reached cell is in the list
    void clear() {
        count = 0;
        species = 0;
        complete = false;
    }
};

namespace detail {

// Most entries of the list of reached cells: an eighth of the grid.  A
// species that reaches more cells costs at least as many placing steps, so a
// sweep of the whole grid after it is cheap by comparison.
std::size_t reached_capacity(int side);

// Puts the counts (and, under a niche limit, the counted marks) of the cells
// the previous species reached back to zero, and starts the list of the next.
void reset_reached(ReachedCells& reached, SquareArray<std::int32_t>& counts, NicheTable& niches, bool limited);

}  // namespace detail
}  // namespace lorvenna
