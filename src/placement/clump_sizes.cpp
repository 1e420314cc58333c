#include "placement/clump_sizes.hpp"

#include <algorithm>

namespace lorvenna::detail {

HabitatExtent habitat_extent(const SquareArray<float>& habitat) {
    HabitatExtent e;
    if (habitat.cells.empty()) return e;
    // std::min and std::max keep the value they hold when compared with a NaN.
    float lo = habitat.cells.front(), hi = lo;
    bool any_nan = false;
    for (const float v : habitat.cells) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        any_nan |= v != v;
    }
    if (lo != lo) {  // the first cell is NaN: start again from the first number
        const auto number = std::find_if(habitat.cells.begin(), habitat.cells.end(), [](float v) { return v == v; });
        if (number == habitat.cells.end()) return HabitatExtent{0.0f, -1.0f, true};
        lo = hi = *number;
        for (auto it = number; it != habitat.cells.end(); ++it) {
            lo = std::min(lo, *it);
            hi = std::max(hi, *it);
        }
    }
    return HabitatExtent{lo, hi, any_nan};
}

HabitatTerms habitat_terms(const HabitatExtent& extent, float c) {
    if (!(extent.lo <= extent.hi)) return HabitatTerms{};  // no numbers: every term is 0
    const std::int64_t a = habitat_clump(c * extent.lo), b = habitat_clump(c * extent.hi);
    HabitatTerms t{std::min(a, b), std::max(a, b)};
    if (extent.any_nan) t.least = 0;
    return t;
}

}  // namespace lorvenna::detail
