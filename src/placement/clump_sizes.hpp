#pragma once
// The sizes of the clumps a species drops into its cells: k1 from the
// aggregation, the same in every cell, and k2 from the habitat of the cell.
// What k2 can be over the whole grid tells the placing loop whether it needs
// the habitat at all: a species whose heterogeneity factor c makes c h round
// to the same whole number in every cell (c at or below zero over a habitat
// that is nowhere negative, a flat habitat) places clumps of one size.
#include <cstdint>

#include "data/grids.hpp"

namespace lorvenna::detail {

inline constexpr std::int64_t largest_clump = std::int64_t{1} << 53;

// The habitat term k2 of a clump, nint(c h) held to 0..largest_clump for the
// single-precision product v = c h: exactly std::clamp(nearest(v), 0,
// largest_clump), without a library call in the innermost loop.  Below 2^52
// v + 0.5 is exact in double precision (or, for v below 2^-30, rounds to no
// more than 0.5 + 2^-30), so its truncation is nint(v), halves away from zero;
// from 2^52 on v is a multiple of 2^29 and v + 0.5 rounds back to v.
inline std::int64_t habitat_clump(float v) {
    const float positive = v > 0.0f ? v : 0.0f;  // NaN -> 0
    const float held = positive < 9007199254740992.0f ? positive : 9007199254740992.0f;
    return static_cast<std::int64_t>(static_cast<double>(held) + 0.5);
}

// The smallest and largest habitat value of a grid, NaN cells apart, and
// whether it holds NaN cells.  lo > hi when no cell holds a number.
struct HabitatExtent {
    float lo = 0.0f, hi = -1.0f;
    bool any_nan = false;
};
HabitatExtent habitat_extent(const SquareArray<float>& habitat);

// The habitat terms a species with heterogeneity factor c meets on a grid of
// that extent: none below `least`, none above `most`.  habitat_clump(c h) is
// monotone in h for a fixed c (the product rounds monotonically, and c at or
// below zero only turns its direction), so the extremes come from the
// extremes of the habitat; a NaN cell gives 0.
struct HabitatTerms {
    std::int64_t least = 0, most = 0;
    bool fixed() const { return least == most; }
};
HabitatTerms habitat_terms(const HabitatExtent& extent, float c);

}  // namespace lorvenna::detail
