#pragma once
// Geometry of the sample units of the five designs, the series of sample
// sizes, the random exchanges of the unit order and the summed-area tables
// that give the contents of any block of cells in constant time.
//
// Coordinates here are those of the sampling window: cell (1, 1) of the
// window is grid cell (offset + 1, offset + 1).  The window is the sampled
// square, widened to the block size when a "dep" or "lin" block is larger than
// the square, and always cut at the edge of the grid.
#include <cstdint>
#include <vector>

#include "data/keyword_choice.hpp"
#include "data/samples.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// Units nested in one another: the largest unit holds the whole sample.
bool is_nested(Design d);
// Designs whose unit order is reshuffled by random exchanges.
bool is_reshuffled(Design d);
// Designs of equal units taken one after another ("dep", "lin"): areas and
// species counts accumulate over the units in their order.
bool is_accumulating(Design d);

// A rectangle of window cells, inclusive; empty when x1 < x0 or y1 < y0.
struct Block {
    int x0 = 1, y0 = 1, x1 = 0, y1 = 0;
    bool empty() const { return x1 < x0 || y1 < y0; }
    std::int64_t cells() const {
        return empty() ? 0 : static_cast<std::int64_t>(x1 - x0 + 1) * (y1 - y0 + 1);
    }
};

struct Window {
    std::int64_t offset = 0;  // grid cells offset+1 .. offset+side
    int side = 0;
    int square = 0;           // the sampled square inside the window (<= side)
};

// What the sampling of a pass reads of its parameters, derived values and
// grids, taken once the sampled square is drawn.
struct SamplingFrame {
    Design design = Design::nested;
    int factor = 1;            // Sampfac: unit of sampling (cells), factor of adding area
    int square_side = 0;       // SampA: side of the sampled square
    std::int64_t offset = 0;   // the sampled square starts after this many cells
    int grid_side = 0;
    float niche_level = 0.0f, niche_phase = 0.0f;  // the niches of the cells
    int min_sample = 1, step = 1, max_sample = 1;  // the series of sample sizes
    int reshufflings = 1;      // Permut
    DiversityIndex index = DiversityIndex::shannon;  // of the sample statistics
};

// The window of a frame: its drawn offset cut at the edge of the grid.
Window sampling_window(const SamplingFrame& f);

// Cells of unit i (1-based), clipped to the window.  "dep" and "lin" read the
// unit position from the sample tables (grid coordinates; 0: not yet placed).
Block unit_block(Design d, int factor, const SampleTables& t, const Window& w, int i);
// Area written for unit i: the cells it covers, except "oct", whose octave
// area is 2^(i-1) (0 from i-1 = 32 on).
std::int64_t unit_area(Design d, const Block& b, int i);

// First window coordinate of a "dep" block from a uniform deviate u: trunc(u*square)+1,
// lowered by the block size when the block would leave the square, never below 1.
int dependent_start(double u, int square, int factor);
// First window coordinate of "lin" unit i, kept inside the square by the same rule.
int diagonal_start(int i, int square, int factor);

// Largest sample size the design allows on a sampled square of side SampA.
int design_bound(Design d, int SampA, int factor);

// minSa, minSa+StepSa, ... ending with exactly maxSa.
std::vector<int> sample_size_series(int minSa, int StepSa, int maxSa);

// One reshuffling pass: `exchanges` exchanges of the positions a and b of the
// unit order, a = trunc(u*(n-1))+1 drawn before b the same way; unit n and the
// units after it never move.
void exchange_units(RandomStream& random, std::vector<int>& order, int n, int exchanges);

// Read-only view of the sample table: individuals of species k in unit u (0-based).
struct SampleCounts {
    const std::int32_t* data = nullptr;
    int species = 0;
    int units = 0;
    std::int32_t at(int k, int u) const {
        return data[static_cast<std::size_t>(k) * static_cast<std::size_t>(units) +
                    static_cast<std::size_t>(u)];
    }
};

// Summed-area table over a side x side window: entry (x, y) holds the sum of
// the values of cells (1..x, 1..y); (side+1)^2 entries, row x = 0 and column y = 0 zero.
template <typename T, typename Value>
void build_summed_area(std::vector<T>& table, int side, Value value) {
    const std::size_t s = static_cast<std::size_t>(side) + 1;
    table.assign(s * s, T{});
    for (int x = 1; x <= side; ++x) {
        T row{};
        for (int y = 1; y <= side; ++y) {
            row += static_cast<T>(value(x, y));
            table[static_cast<std::size_t>(x) * s + static_cast<std::size_t>(y)] =
                table[static_cast<std::size_t>(x - 1) * s + static_cast<std::size_t>(y)] + row;
        }
    }
}

template <typename T>
T block_sum(const std::vector<T>& table, int side, const Block& b) {
    if (b.empty()) return T{};
    const std::size_t s = static_cast<std::size_t>(side) + 1;
    auto at = [&](int x, int y) {
        return table[static_cast<std::size_t>(x) * s + static_cast<std::size_t>(y)];
    };
    return at(b.x1, b.y1) - at(b.x0 - 1, b.y1) - at(b.x1, b.y0 - 1) + at(b.x0 - 1, b.y0 - 1);
}

}  // namespace lorvenna
