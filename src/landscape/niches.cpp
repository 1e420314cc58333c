#include "landscape/niches.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "landscape/grid_arrays.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {

// K (sin(x u0) + cos(y u0)) + K u0 + K in single precision, rounded to the
// nearest whole number and raised to 1: a pattern periodic in x and y with
// period 2 pi / u0 cells, between about K (u0 - 1) and K (u0 + 3).
std::int64_t niche_number(float level, float phase, std::int64_t x, std::int64_t y) {
    const float xf = static_cast<float>(x);
    const float yf = static_cast<float>(y);
    const float value = level * (std::sin(xf * phase) + std::cos(yf * phase)) + level * phase + level;
    const std::int64_t niches = nearest<std::int64_t>(value);
    return niches < 1 ? 1 : niches;
}

void fill_niche_table(WorkArea& wa) {
    const int side = wa.params.Areal > 0 ? wa.params.Areal : 0;
    NicheTable& t = wa.niche_table;
    allocate_grid(t.niches, side, std::int32_t{0}, "niche table");
    allocate_grid(t.counted, side, std::uint8_t{0}, "niche table");
    allocate_grid(t.species_count, side, std::int32_t{0}, "niche table");

    const float level = wa.derived.niche_level;
    if (!(level > 0.0f)) return;  // no limit: every cell keeps 0 niches and is never refused
    const float phase = wa.derived.niche_phase;
    // A cell never holds more species than the model has, so a niche number
    // beyond the 32-bit range means the same as the largest 32-bit value.
    constexpr std::int64_t most = std::numeric_limits<std::int32_t>::max();
    for (int x = 1; x <= side; ++x)
        for (int y = 1; y <= side; ++y)
            t.niches.at(x, y) = static_cast<std::int32_t>(std::min(niche_number(level, phase, x, y), most));
}

}  // namespace lorvenna
