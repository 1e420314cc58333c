#include "placement/saturation.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "numerics/rounding.hpp"

namespace lorvenna::detail {
namespace {

// Largest magnitude a normal deviate of the stream can take: u1 is never below 1e-9.
const double normal_reach = std::sqrt(-2.0 * std::log(static_cast<double>(1.0e-9f)));

}  // namespace

Span reach(float centre, float range, int side) {
    Span s;
    if (!std::isfinite(centre)) return s;  // lo > hi: nothing reachable
    const double c = static_cast<double>(centre);
    const double r = static_cast<double>(range) * normal_reach * (1.0 + 1e-9) + 1e-9;
    // Held to 1 .. side + 1 and 0 .. side before narrowing: a centre far off the
    // grid must give an empty span, never a wrapped-around one.
    s.lo = static_cast<int>(std::clamp<std::int64_t>(nearest<std::int64_t>(c - r), 1, std::int64_t{side} + 1));
    s.hi = static_cast<int>(std::clamp<std::int64_t>(nearest<std::int64_t>(c + r), 0, side));
    return s;
}

double upper_tail(double t) { return 0.5 * std::erfc(t / std::sqrt(2.0)); }

double normal_mass(double a, double b) {
    if (a >= 0.0) return upper_tail(a) - upper_tail(b);
    if (b <= 0.0) return upper_tail(-b) - upper_tail(-a);
    return 1.0 - upper_tail(-a) - upper_tail(b);
}

double chance_of_room(const NicheTable& t, bool limited, Span xs, Span ys, const AxisOdds& ox,
                      const AxisOdds& oy) {
    if (xs.empty() || ys.empty()) return 0.0;
    std::vector<double> share_y(static_cast<std::size_t>(ys.hi - ys.lo + 1));
    for (int y = ys.lo; y <= ys.hi; ++y) share_y[static_cast<std::size_t>(y - ys.lo)] = oy.of(y);
    double chance = 0.0;
    if (!limited) {
        double along_y = 0.0;
        for (const double share : share_y) along_y += share;
        for (int x = xs.lo; x <= xs.hi; ++x) chance += ox.of(x) * along_y;
        return chance;
    }
    for (int x = xs.lo; x <= xs.hi; ++x) {
        double along_y = 0.0;
        for (int y = ys.lo; y <= ys.hi; ++y) {
            const std::int64_t count = t.species_count.at(x, y) + (t.counted.at(x, y) != 0 ? 0 : 1);
            if (!limited || count <= t.niches.at(x, y)) along_y += share_y[static_cast<std::size_t>(y - ys.lo)];
        }
        chance += ox.of(x) * along_y;
    }
    return chance;
}

}  // namespace lorvenna::detail
