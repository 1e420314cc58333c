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
    // At least one niche; no cell holds more species than a 32-bit count, so
    // larger values mean the same and are held there (sums over units stay exact).
    return std::clamp<std::int64_t>(nearest<std::int64_t>(value), 1, std::numeric_limits<std::int32_t>::max());
}

namespace {

// The rounding and the floor of niche_number, for the value of a cell.
std::int64_t niches_of_value(float value) {
    // At least one niche; no cell holds more species than a 32-bit count, so
    // larger values mean the same and are held there (sums over units stay exact).
    return std::clamp<std::int64_t>(nearest<std::int64_t>(value), 1, std::numeric_limits<std::int32_t>::max());
}

}  // namespace

NicheRows::NicheRows(float level, float phase, std::int64_t y0, int columns)
    : level_(level), phase_(phase), cosines_(static_cast<std::size_t>(std::max(columns, 0))) {
    for (std::size_t j = 0; j < cosines_.size(); ++j)
        cosines_[j] = std::cos(static_cast<float>(y0 + static_cast<std::int64_t>(j)) * phase);
}

void NicheRows::row(std::int64_t x, std::int64_t* out) const {
    // The same single-precision steps as niche_number, in the same order.
    const float sine = std::sin(static_cast<float>(x) * phase_);
    const float shift = level_ * phase_;
    for (std::size_t j = 0; j < cosines_.size(); ++j)
        out[j] = niches_of_value(level_ * (sine + cosines_[j]) + shift + level_);
}

void fill_niche_table(NicheTable& t, const DerivedValues& d) {
    const int side = d.grid_side > 0 ? d.grid_side : 0;
    const float level = d.niche_level;
    // Without a niche limit no cell is ever refused and the table is never
    // read: it holds no arrays, and a table left from an earlier model goes.
    if (!(level > 0.0f)) {
        t.release();
        return;
    }
    allocate_grid(t.niches, side, std::int32_t{0}, "niche table");
    allocate_grid(t.counted, side, std::uint8_t{0}, "niche table");
    allocate_grid(t.species_count, side, std::int32_t{0}, "niche table");
    const float phase = d.niche_phase;
    // A cell never holds more species than the model has, so a niche number
    // beyond the 32-bit range means the same as the largest 32-bit value.
    constexpr std::int64_t most = std::numeric_limits<std::int32_t>::max();
    const NicheRows rows(level, phase, 1, side);
    std::vector<std::int64_t> row(static_cast<std::size_t>(side));
    for (int x = 1; x <= side; ++x) {
        rows.row(x, row.data());
        for (int y = 1; y <= side; ++y)
            t.niches.at(x, y) = static_cast<std::int32_t>(std::min(row[static_cast<std::size_t>(y - 1)], most));
    }
}

}  // namespace lorvenna
