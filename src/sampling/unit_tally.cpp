// The tally of each species' cell counts into the sample units.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "sampling/design_context.hpp"
#include "sampling/sample_units.hpp"
#include "sampling/sampling_designs.hpp"
#include "sampling/unit_slots.hpp"

namespace lorvenna {

using namespace detail;

namespace {

// Tally by summed-area tables of the species' counts and squared counts over
// the window: any block in constant time, for every design.
void tally_by_summed_areas(SampleTables& t, const SquareArray<std::int32_t>& grid, int k, Design d, int factor,
                           const Window& w, TallyWorkspace& ws) {
    const std::size_t s = static_cast<std::size_t>(w.side) + 1;
    ws.summed.assign(s * s, 0);
    ws.summed_squares.assign(s * s, 0.0);
    for (int x = 1; x <= w.side; ++x) {
        const std::int64_t gx = w.offset + x;
        std::int64_t row = 0;
        double row_squares = 0.0;
        for (int y = 1; y <= w.side; ++y) {
            const std::int64_t gy = w.offset + y;
            const std::int64_t c = (gx <= grid.side && gy <= grid.side)
                                       ? grid.at(static_cast<int>(gx), static_cast<int>(gy))
                                       : 0;
            row += c;
            row_squares += static_cast<double>(c) * static_cast<double>(c);
            const std::size_t at = static_cast<std::size_t>(x) * s + static_cast<std::size_t>(y);
            const std::size_t above = static_cast<std::size_t>(x - 1) * s + static_cast<std::size_t>(y);
            ws.summed[at] = ws.summed[above] + row;
            ws.summed_squares[at] = ws.summed_squares[above] + row_squares;
        }
    }

    t.in_square[static_cast<std::size_t>(k)] = block_sum(ws.summed, w.side, Block{1, 1, w.square, w.square});
    double& squares = t.squared_counts[static_cast<std::size_t>(k)];
    squares = 0.0;
    for (int i = 1; i <= t.units; ++i) {
        const Block b = unit_block(d, factor, t, w, i);
        const std::int64_t c = block_sum(ws.summed, w.side, b);
        t.count(k, i - 1) = static_cast<std::int32_t>(
            std::min<std::int64_t>(c, std::numeric_limits<std::int32_t>::max()));
        const double q = block_sum(ws.summed_squares, w.side, b);
        if (is_nested(d)) {
            if (i == t.units) squares = q;  // the largest unit is the sample
        } else {
            squares += q;                   // the units are pooled
        }
    }
}

// Squared counts are summed in double precision.  While every sum of them
// stays below 2^53 each partial sum is a whole number held exactly, so the
// order of summation cannot change the result; from there on only the
// summed-area tables give the very same roundings.
constexpr std::uint64_t exact_in_double = std::uint64_t{1} << 53;
constexpr std::int64_t largest_exact_square_root = 94906265;  // 94906266^2 > 2^53

// Tally of the nested ("seq", "oct") and independent ("ind") designs from
// the occupied cells alone.  A nested unit is the square 1..s of the window,
// so a cell (x, y) lies in every unit whose side s reaches max(x, y): cells
// are summed by that side and the units read prefix sums.  Independent units
// are disjoint diagonal blocks: a cell lies in the unit of its x when its y
// falls in the same block.  The cells come from the list the placement kept,
// or from a sweep of the window.  False, with nothing written, when the sum
// of squared counts over the window leaves the exact range.
bool tally_by_cells(SampleTables& t, const SquareArray<std::int32_t>& grid, int k, int sp, Design d, int factor,
                    const Window& w, const ReachedCells& reached) {
    const int square = w.side;
    const bool nested = is_nested(d);

    const UnitSlots unit_slots(d, factor, t, w);
    // Per side (nested) or per unit (independent): individuals and squared counts.
    const std::size_t slots = unit_slots.slots();
    std::vector<std::int64_t> sums(slots, 0);
    std::vector<std::uint64_t> square_sums(slots, 0);
    std::uint64_t window_squares = 0;
    std::int64_t window_total = 0;  // the window of these designs is the sampled square
    bool exact = true;
    auto add = [&](std::int64_t x, std::int64_t y, std::int64_t c) {
        if (c == 0) return;
        window_total += c;
        if (c > largest_exact_square_root || c < -largest_exact_square_root) {
            exact = false;
            return;
        }
        const auto q = static_cast<std::uint64_t>(c * c);
        window_squares += q;
        if (window_squares >= exact_in_double) exact = false;
        const std::size_t slot = unit_slots.slot(x, y);
        if (slot == 0) return;
        sums[slot] += c;
        square_sums[slot] += q;
    };

    // The list, when it is shorter than the window; the window otherwise.
    const auto window_cells = static_cast<std::size_t>(square) * static_cast<std::size_t>(square);
    if (reached.species == sp && reached.complete && reached.side == grid.side && grid.side > 0 &&
        reached.count < window_cells / 2) {
        const auto side = static_cast<std::uint32_t>(grid.side);
        const std::int32_t* const count = grid.cells.data();
        for (std::size_t n = 0; n < reached.count && exact; ++n) {
            const std::uint32_t i = reached.cells[n];
            const std::int64_t x = static_cast<std::int64_t>(i / side) + 1 - w.offset;
            const std::int64_t y = static_cast<std::int64_t>(i % side) + 1 - w.offset;
            if (x >= 1 && x <= square && y >= 1 && y <= square) add(x, y, count[i]);
        }
    } else {
        const int last = static_cast<int>(std::min<std::int64_t>(square, grid.side - w.offset));
        for (int x = 1; x <= last && exact; ++x) {
            const std::int32_t* const row = &grid.at(static_cast<int>(w.offset + x), static_cast<int>(w.offset + 1));
            for (int y = 1; y <= last; ++y)
                if (row[y - 1] != 0) add(x, y, row[y - 1]);
        }
    }
    if (!exact) return false;

    t.in_square[static_cast<std::size_t>(k)] = window_total;
    double& squares = t.squared_counts[static_cast<std::size_t>(k)];
    auto put = [&](int i, std::int64_t c) {
        t.count(k, i - 1) = static_cast<std::int32_t>(
            std::min<std::int64_t>(c, std::numeric_limits<std::int32_t>::max()));
    };
    unit_slots.settle(sums);
    unit_slots.settle(square_sums);
    for (int i = 1; i <= t.units; ++i) put(i, sums[unit_slots.unit_slot(i)]);
    if (nested) {
        squares = static_cast<double>(square_sums[unit_slots.unit_slot(t.units)]);  // the largest unit is the sample
    } else {
        std::uint64_t pooled = 0;  // the units are pooled
        for (int i = 1; i <= t.units; ++i) pooled += square_sums[static_cast<std::size_t>(i)];
        squares = static_cast<double>(pooled);
    }
    return true;
}

}  // namespace

void sample_species(SampleTables& t, const SamplingFrame& f, const SquareArray<std::int32_t>& cell_counts, int sp,
                    const ReachedCells& reached, TallyWorkspace& workspace, TallyMethod method) {
    const int k = sp - 1;
    if (k < 0 || k >= species_rows(t, t.squared_counts.size()) || t.units < 1) return;
    const Design d = f.design;
    const Window w = sampling_window(f);
    if (w.side < 1) return;

    const bool by_cells = method == TallyMethod::automatic && !is_accumulating(d);
    if (by_cells && tally_by_cells(t, cell_counts, k, sp, d, f.factor, w, reached)) return;
    tally_by_summed_areas(t, cell_counts, k, d, f.factor, w, workspace);
}

}  // namespace lorvenna
