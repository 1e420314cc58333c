#include "placement/reached_cells.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace lorvenna::detail {

std::size_t reached_capacity(int side) {
    const auto cells = static_cast<std::uint64_t>(side) * static_cast<std::uint64_t>(side);
    if (cells > std::numeric_limits<std::uint32_t>::max()) return 0;  // indices would not fit
    return static_cast<std::size_t>(cells / 8);
}

void reset_reached(ReachedCells& r, SquareArray<std::int32_t>& counts, NicheTable& niches, bool limited) {
    const bool listed = r.complete && r.side == counts.side;
    if (listed) {
        const std::uint32_t* const list = r.cells.get();
        std::int32_t* const count = counts.cells.data();
        for (std::size_t k = 0; k < r.count; ++k) count[list[k]] = 0;
        if (limited && niches.counted.side == counts.side) {
            std::uint8_t* const counted = niches.counted.cells.data();
            for (std::size_t k = 0; k < r.count; ++k) counted[list[k]] = 0;
        }
    } else {
        if (limited) std::fill(niches.counted.cells.begin(), niches.counted.cells.end(), std::uint8_t{0});
        std::fill(counts.cells.begin(), counts.cells.end(), 0);
    }
    r.clear();
    r.side = counts.side;
    const std::size_t capacity = reached_capacity(counts.side);
    if (r.capacity < capacity) {
        // Left uninitialised: only the entries in use are ever written or read,
        // so pages of the list that no species needs take no memory.
        r.cells = std::make_unique_for_overwrite<std::uint32_t[]>(capacity);
        r.capacity = capacity;
    }
}

}  // namespace lorvenna::detail
