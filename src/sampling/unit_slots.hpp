#pragma once
// Where the cells of the window fall among the units of the nested and
// independent designs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sampling/sample_units.hpp"

namespace lorvenna::detail {

// Where the cells of the window fall among the units of the nested ("seq",
// "oct") and independent ("ind") designs, so that a unit's contents can be
// gathered cell by cell without a summed-area table.  A nested unit is the
// square 1..s of the window: a cell (x, y) lies in every unit whose side s
// reaches max(x, y), so cells are gathered by that side (their slot) and a
// unit reads the running sum up to its own side.  Independent units are
// disjoint diagonal blocks: a cell lies in the unit of its x when its y falls
// in the same block, and that unit is its slot.
class UnitSlots {
public:
    UnitSlots(Design d, int factor, const SampleTables& t, const Window& w)
        : nested_(is_nested(d)), units_(t.units) {
        if (nested_) {
            side_of_unit_.assign(static_cast<std::size_t>(t.units), 0);
        } else {
            unit_at_.assign(static_cast<std::size_t>(std::max(w.side, 0)) + 1, 0);
        }
        for (int i = 1; i <= t.units; ++i) {
            const Block b = unit_block(d, factor, t, w, i);
            if (nested_) {
                side_of_unit_[static_cast<std::size_t>(i - 1)] = b.empty() ? 0 : b.x1;
            } else if (!b.empty()) {
                for (int v = b.x0; v <= b.x1; ++v) unit_at_[static_cast<std::size_t>(v)] = i;
            }
        }
        slots_ = static_cast<std::size_t>(nested_ ? std::max(w.side, 0) : t.units) + 1;
    }

    // Slots 1 .. slots()-1 are in use; slot 0 gathers nothing.
    std::size_t slots() const { return slots_; }

    // Slot of window cell (x, y), 1 <= x, y <= window side; 0: in no unit.
    std::size_t slot(std::int64_t x, std::int64_t y) const {
        if (nested_) return static_cast<std::size_t>(std::max(x, y));
        const int u = unit_at_[static_cast<std::size_t>(x)];
        return u != 0 && unit_at_[static_cast<std::size_t>(y)] == u ? static_cast<std::size_t>(u) : 0;
    }

    // Turns sums per slot into sums per unit in place: afterwards sums[i] is
    // the sum over unit i (1-based) for the independent design, and the sum
    // over the square of side s for the nested ones (see unit_slot).
    template <typename T>
    void settle(std::vector<T>& sums) const {
        if (nested_)
            for (std::size_t v = 1; v < sums.size(); ++v) sums[v] += sums[v - 1];
    }

    // The entry of settled sums that holds unit i (1-based).
    std::size_t unit_slot(int i) const {
        return nested_ ? static_cast<std::size_t>(side_of_unit_[static_cast<std::size_t>(i - 1)])
                       : static_cast<std::size_t>(i);
    }

    int units() const { return units_; }

private:
    bool nested_;
    int units_;
    std::vector<int> side_of_unit_;  // nested: side of unit i at i-1 (0: empty)
    std::vector<int> unit_at_;       // independent: unit of window position v (0: none)
    std::size_t slots_ = 1;
};

}  // namespace lorvenna::detail
