#pragma once
// Conversions of reals to integers.  Truncation toward zero is the default of
// the model; "nearest" rounds halves away from zero.  Both saturate at the
// limits of the target type instead of overflowing, and map NaN to 0, so no
// real a parameter set can produce ever turns into undefined behaviour.
#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/constants.hpp"

namespace lorvenna {

template <typename Int = std::int64_t>
Int trunc_to(double x) {
    if (std::isnan(x)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    if (x <= lo) return std::numeric_limits<Int>::min();
    if (x >= hi) return std::numeric_limits<Int>::max();
    return static_cast<Int>(x);
}

template <typename Int = std::int64_t>
Int nearest(double x) {
    return trunc_to<Int>(std::round(x));  // std::round: halves away from zero
}

// The base-2 logarithm as the model computes it: ln x over single-precision ln 2.
inline double lb(double x) { return std::log(x) / static_cast<double>(ln2_single); }

}  // namespace lorvenna
