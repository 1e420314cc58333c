#pragma once
// Whether a species can still find room: when the placing loop looks, the
// cells its position draws can reach, and the chance that a draw lands on a
// cell that can still take it.
#include <cstdint>

#include "data/grids.hpp"

namespace lorvenna::detail {

// Consecutive cell choices that placed nothing.  After check_after of them
// the cells within reach are looked at once: the species is saturated and
// given up when no cell there has room, or when the few that have would need
// more than draw_budget further cell choices on average to take the rest of
// the species.  give_up_after consecutive misses are the last resort, never
// reached by a run that can still place.
inline constexpr std::int64_t check_after = 10'000;
inline constexpr double draw_budget = 2.0e6;
inline constexpr std::int64_t give_up_after = 10'000'000;

// Cells the position draws of a species can reach along one axis.
struct Span {
    int lo = 1, hi = 0;
    bool empty() const { return lo > hi; }
};

// With ranges a position is nint(centre + Range * z) with |z| <= normal_reach,
// so no draw lands outside this span (a hair wider against rounding).
Span reach(float centre, float range, int side);

// P(Z >= t) for a standard normal Z, accurate far into the tail.
double upper_tail(double t);

// P(a <= Z < b), taken on the side where it does not cancel.
double normal_mass(double a, double b);

// Chance that one position draw along an axis gives cell k (before the
// redraw of positions outside the grid): uniform over 1..N without ranges.
struct AxisOdds {
    bool ranged = false;
    double centre = 0.0, range = 1.0;
    int side = 0;
    double of(int k) const {
        if (!ranged) return side > 0 ? 1.0 / side : 0.0;
        return normal_mass((k - 0.5 - centre) / range, (k + 0.5 - centre) / range);
    }
};

// Chance that one pair of position draws (x, then y) hits a cell of the box
// that can still take the current species.  Whether a cell has room does not
// change while one species is placed: a cell with room keeps it after the
// species is counted there, and a full cell stays full.  So this chance holds
// for the whole placing loop of the species.
// Without a niche limit every cell has room.
double chance_of_room(const NicheTable& t, bool limited, Span xs, Span ys, const AxisOdds& ox,
                      const AxisOdds& oy);

}  // namespace lorvenna::detail
