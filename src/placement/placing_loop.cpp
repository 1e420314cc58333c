#include "placement/placing_loop.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/program_end.hpp"
#include "core/session_limits.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna::detail {
namespace {

// The habitat part of a clump, nint(v) held to 0..largest_clump, exactly as
// std::clamp(nearest<std::int64_t>(v), 0, largest_clump), without the library
// call in the innermost loop: below 2^53 the fraction v - trunc(v) is exact,
// and from 2^53 on every double is whole and the clamp applies.
// Written without branches: the sign of c times the habitat may change from
// cell to cell, and a mispredicted branch on a value just fetched from memory
// would stall the loop for the whole fetch.
inline std::int64_t habitat_clump(double v) {
    const double held = std::min(v > 0.0 ? v : 0.0, 9007199254740992.0);  // NaN -> 0
    const auto whole = static_cast<std::int64_t>(held);
    return whole + static_cast<std::int64_t>(held - static_cast<double>(whole) >= 0.5);
}

// The cells of the placing steps to come.  Without ranges every step takes
// exactly two uniform draws, whatever happens in it, so the cell of the step
// `distance` steps on follows from the generator state now.  Asking for that
// cell early lets the memory fetches of several steps overlap.  A hint only:
// a wrong guess would cost time, never change a result.
class CellLookahead {
public:
    static constexpr int distance = 16;

    CellLookahead(std::uint32_t seed, double side, std::size_t stride)
        : seed_(jump_factor() * seed + jump_increment()), side_(side), stride_(stride) {}

    // The grid index of the step `distance` steps after the one about to be drawn.
    std::size_t next() {
        const double x = unit(step());
        const double y = unit(step());
        return static_cast<std::size_t>(x * side_) * stride_ + static_cast<std::size_t>(y * side_);
    }

private:
    static constexpr std::uint32_t multiplier = 69069u;
    // The generator's affine step s -> 69069 s + 1, applied 2 * distance times.
    static constexpr std::uint32_t jump_factor() {
        std::uint32_t a = 1u;
        for (int k = 0; k < 2 * distance; ++k) a *= multiplier;
        return a;
    }
    static constexpr std::uint32_t jump_increment() {
        std::uint32_t c = 0u;
        for (int k = 0; k < 2 * distance; ++k) c = multiplier * c + 1u;
        return c;
    }
    std::uint32_t step() { return seed_ = multiplier * seed_ + 1u; }
    static double unit(std::uint32_t s) { return static_cast<double>(s >> 8) * 5.9604644775390625e-08; }

    std::uint32_t seed_;
    double side_;
    std::size_t stride_;
};

[[noreturn]] void end_for_cell_count(const SpeciesRow& row, int x, int y, std::int64_t count) {
    end_program(exit_error, " Too many individuals in one cell: species " + species_label(row) + " would have " +
                                std::to_string(count) + " in cell (" + std::to_string(x) + ", " +
                                std::to_string(y) + "), more than " + std::to_string(most_per_cell));
}

// The placing steps of one species: a cell is drawn, a clump of k1 + k2
// individuals goes into it (k2 from the habitat of the cell), until OrigInd
// individuals are placed; the last clump is cut to fit.  With ranges the
// position draws are normal around the range centre and redrawn while off
// the grid; under a niche limit a cell that holds its niches' worth of other
// species refuses the species.  Refusals and redraws count as misses, which
// may end the species as saturated.  The two switches are fixed for the run,
// so each combination gets a loop of its own.
template <bool Ranged, bool Limited>
void placing_loop(PlacingRun& r) {
    RandomStream random = r.stream;
    const float* const habitat = r.habitat;
    std::int32_t* const count = r.count;
    std::uint8_t* const counted = r.counted;
    std::int32_t* const species_count = r.species_count;
    const std::int32_t* const niche = r.niche;
    const int side = r.side;
    const double n = r.n;
    const auto stride = static_cast<std::size_t>(side);
    const double range = r.range;
    const auto cx = static_cast<double>(r.cx), cy = static_cast<double>(r.cy);
    const float c = r.c;
    const std::int64_t k1 = r.k1;
    const std::int64_t threshold = r.threshold;
    std::uint32_t* const list = r.list;
    const std::size_t list_capacity = r.list_capacity;
    std::size_t listed = 0;
    bool list_complete = r.list_complete;
    std::int64_t placed = 0;
    std::int64_t misses = 0;
    bool gave_up = false;
    bool room_checked = false;
    bool rarely_reached = false;
    bool done = false;

    // Records a cell the species reaches for the first time; past the
    // capacity the list is given up for this species.
    auto note_reached = [&](std::size_t i) {
        if (listed < list_capacity)
            list[listed++] = static_cast<std::uint32_t>(i);
        else
            list_complete = false;
    };
    // The same for a cell that may or may not be new: the entry is written
    // either way and kept only for a new cell, without a branch on the count
    // just fetched (whether a cell is new is a coin toss for many species).
    auto note_if_new = [&](std::size_t i, bool is_new) {
        if (listed < list_capacity) {
            list[listed] = static_cast<std::uint32_t>(i);
            listed += is_new ? 1u : 0u;
        } else {
            list_complete = list_complete && !is_new;
        }
    };
    // The run's state goes back before the loop ends, normally or not.
    auto hand_back = [&] {
        r.stream = random;
        r.listed = listed;
        r.list_complete = list_complete;
        r.placed = placed;
        r.gave_up = gave_up;
        r.rarely_reached = rarely_reached;
        r.done = done;
    };
    // One miss: true when the species has to be given up.
    // Every check_interval cell choices the user may interrupt a long
    // species, and the session's limits are looked at.
    const std::uint32_t check_interval = r.check_interval;
    std::uint32_t choices_since_check = 0;
    auto checkpoint = [&] {
        if (++choices_since_check < check_interval) return;
        choices_since_check = 0;
        hand_back();
        stop_if_requested(r.io, r.stream);
    };
    auto miss = [&](std::int64_t placed_now) {
        ++misses;
        checkpoint();
        if (misses == check_after && !room_checked) {
            room_checked = true;
            const AxisOdds ox{Ranged, cx, range, side};
            const AxisOdds oy{Ranged, cy, range, side};
            const double chance = chance_of_room(r.niches, Limited, r.xs, r.ys, ox, oy);
            // The chance that a draw lands on the grid at all, full cells or not:
            // when even that is too small, the range is the cause, not the cells.
            const double landing = Limited ? chance_of_room(r.niches, false, r.xs, r.ys, ox, oy) : chance;
            // Clumps still to come, at least one individual (k1) each.
            const double clumps = std::ceil((static_cast<double>(r.orig) - static_cast<double>(placed_now)) /
                                            static_cast<double>(k1));
            rarely_reached = !(clumps <= landing * draw_budget);
            if (!(chance > 0.0) || clumps > chance * draw_budget) return gave_up = true;
        }
        return gave_up = misses >= give_up_after;
    };

    [[maybe_unused]] CellLookahead ahead(random.seed(), n, stride);
    while (placed < threshold) {
        checkpoint();
        int x = 0, y = 0;
        if constexpr (Ranged) {
            std::int64_t xi = nearest<std::int64_t>(random.normal() * range + cx);
            while ((xi < 1 || xi > side) && !miss(placed)) xi = nearest<std::int64_t>(random.normal() * range + cx);
            if (gave_up) break;
            std::int64_t yi = nearest<std::int64_t>(random.normal() * range + cy);
            while ((yi < 1 || yi > side) && !miss(placed)) yi = nearest<std::int64_t>(random.normal() * range + cy);
            if (gave_up) break;
            x = static_cast<int>(xi);
            y = static_cast<int>(yi);
        } else {
            const std::size_t later = ahead.next();
            __builtin_prefetch(habitat + later);
            __builtin_prefetch(count + later, 1);
            if constexpr (Limited) {
                __builtin_prefetch(counted + later, 1);
                __builtin_prefetch(species_count + later, 1);
                __builtin_prefetch(niche + later);
            }
            // u * n lies in [0, n): the truncation needs no saturation.
            x = static_cast<int>(random.uniform() * n) + 1;
            y = static_cast<int>(random.uniform() * n) + 1;
        }
        const std::size_t i = static_cast<std::size_t>(x - 1) * stride + static_cast<std::size_t>(y - 1);

        // Clump: k1 = nint(c Aggr + Aggr), at least 1, and a part set by the habitat of the cell.
        const std::int64_t k2 = habitat_clump(static_cast<double>(c * habitat[i]));

        // The species is counted in every cell it reaches, full or not.
        if constexpr (Limited) {
            if (counted[i] == 0) {
                counted[i] = 1;
                ++species_count[i];
                note_reached(i);
            }
            if (species_count[i] > niche[i]) {
                if (miss(placed)) break;
                continue;
            }
        }
        if constexpr (Ranged || Limited) misses = 0;

        std::int32_t& cell = count[i];
        if constexpr (!Limited) {
            note_if_new(i, cell == 0);
        }
        if (k1 + placed + k2 >= threshold) {
            // The last clump is cut so that exactly OrigInd individuals are placed.
            const float filled = static_cast<float>(cell) + (r.orig - static_cast<float>(placed));
            const std::int64_t total = trunc_to<std::int64_t>(static_cast<double>(filled));
            if (total > most_per_cell) {
                hand_back();
                end_for_cell_count(r.row, x, y, total);
            }
            cell = static_cast<std::int32_t>(std::max<std::int64_t>(total, 0));
            done = true;
            break;
        }
        const std::int64_t total = cell + k1 + k2;
        if (total > most_per_cell) {
            hand_back();
            end_for_cell_count(r.row, x, y, total);
        }
        cell = static_cast<std::int32_t>(total);
        placed += k1 + k2;
    }
    hand_back();
}

}  // namespace

std::int64_t float_threshold(float orig) {
    // (float)hi >= orig: ceil(orig) is orig itself or a small whole number.
    std::int64_t hi = static_cast<std::int64_t>(std::ceil(static_cast<double>(orig)));
    // Float spacing below 2^53 is at most 2^30: 2^32 below, the value is smaller.
    std::int64_t lo = hi - (std::int64_t{1} << 32);
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        (static_cast<float>(mid) >= orig ? hi : lo) = mid;
    }
    return hi;
}

std::string species_label(const SpeciesRow& row) {
    return std::to_string(trunc_to<std::int64_t>(static_cast<double>(row.number)));
}

void run_placing_loop(PlacingRun& r, bool ranged, bool limited) {
    if (ranged && limited)
        placing_loop<true, true>(r);
    else if (ranged)
        placing_loop<true, false>(r);
    else if (limited)
        placing_loop<false, true>(r);
    else
        placing_loop<false, false>(r);
}

}  // namespace lorvenna::detail
