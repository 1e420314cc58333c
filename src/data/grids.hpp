#pragma once
// The grids of a pass: the habitat surface, the niches of every cell, the
// individuals of the species being placed in every cell, and where the
// sampled square lies on them.
#include <cstdint>
#include <vector>

#include "core/grid_memory.hpp"

namespace lorvenna {

// A square array indexed 1..side in both directions; the first index is x.
template <typename T>
struct SquareArray {
    int side = 0;
    std::vector<T, GridAllocator<T>> cells;

    void allocate(int n, T value = T{}) {
        side = n;
        cells.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), value);
    }
    void release() {
        side = 0;
        std::vector<T, GridAllocator<T>>().swap(cells);
    }
    T& at(int x, int y) {
        return cells[static_cast<std::size_t>(x - 1) * static_cast<std::size_t>(side) +
                     static_cast<std::size_t>(y - 1)];
    }
    const T& at(int x, int y) const {
        return cells[static_cast<std::size_t>(x - 1) * static_cast<std::size_t>(side) +
                     static_cast<std::size_t>(y - 1)];
    }
};

// Niches of every cell and the species bookkeeping of the placement.
struct NicheTable {
    SquareArray<std::int32_t> niches;          // number of species the cell can hold
    SquareArray<std::uint8_t> counted;         // the current species is counted in the cell
    SquareArray<std::int32_t> species_count;   // species counted in the cell so far
    void release() {
        niches.release();
        counted.release();
        species_count.release();
    }
};

// The sampled square: cells offset+1 .. offset+SampA, the offset drawn once
// per model, at the first species placed.
struct SampledSquare {
    std::int64_t offset = 0;
    bool drawn = false;
};

// The range centre drawn last (the map shows it).
struct RangeCentre {
    float x = 0.0f, y = 0.0f;
};

struct Grids {
    SquareArray<float> habitat;               // habitat value of every cell
    NicheTable niche_table;
    SquareArray<std::int32_t> cell_counts;    // individuals of the current species per cell
    SampledSquare square;
    void release() {
        habitat.release();
        niche_table.release();
        cell_counts.release();
        square = SampledSquare{};
    }
};

}  // namespace lorvenna
