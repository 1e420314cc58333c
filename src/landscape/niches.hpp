#pragma once
// Niches per cell: a smooth periodic pattern fixed by the niche level K and
// the niche phase u0.
#include <cstdint>
#include <vector>

#include "data/grids.hpp"
#include "data/parameters.hpp"

namespace lorvenna {

// Niche number of cell (x, y), raised to 1 when it comes out below 1.
std::int64_t niche_number(float level, float phase, std::int64_t x, std::int64_t y);

// Niche numbers of whole rows of a block of cells, equal to niche_number cell
// by cell: the sine depends on x alone and the cosine on y alone, so a block
// needs one sine per row and one cosine per column instead of both per cell.
class NicheRows {
public:
    // Columns y0 .. y0 + columns - 1.
    NicheRows(float level, float phase, std::int64_t y0, int columns);
    // Niche numbers of row x over the columns: out[j] is that of cell (x, y0 + j).
    void row(std::int64_t x, std::int64_t* out) const;

private:
    float level_, phase_;
    std::vector<float> cosines_;
};

// Allocates and fills the niche table of the model; without a niche limit
// (no level) the table holds no arrays.
void fill_niche_table(NicheTable& table, const DerivedValues& d);

}  // namespace lorvenna
