#include "placement/placing_loop.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/program_end.hpp"
#include "core/session_limits.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna::detail {
namespace {

// Without ranges every placing step takes exactly two uniform draws, whatever
// happens in it, so the cell of every step to come is known from the states
// that lie ahead in the stream.  A step takes its cell, worked out
// `distance` steps before, works out the one `distance` steps on and asks for
// that cell's memory early, so that the fetches of several steps overlap.
// The cells wait in an array of the caller's, by the position in the
// stream's block the step starts from, so that nothing but the stream's
// position has to be carried from step to step.  The stream counts the two
// draws of every step taken once it is told (sync).
class StepCells {
public:
    static constexpr std::size_t distance = 16;
    static constexpr std::size_t block = RandomStream::block;
    static_assert(2 * distance + 2 <= block, "the states of a step ahead must be within peek's reach");
    using Cells = std::array<std::size_t, block>;

    struct Step {
        std::size_t cell;   // of the step taken now
        std::size_t later;  // of the step `distance` steps on
    };

    StepCells(RandomStream& random, int side, Cells& cells)
        : reader_(random), side_(static_cast<std::uint64_t>(side > 0 ? side : 0)), cells_(cells.data()) {
        for (std::size_t k = 0; k < distance; ++k)
            cells_[(reader_.position() + 2 * k) % block] = cell(reader_.peek(2 * k + 1), reader_.peek(2 * k + 2));
    }

    Step take() {
        const std::size_t at = reader_.position();
        const Step step{cells_[at], cell(reader_.peek(2 * distance + 1), reader_.peek(2 * distance + 2))};
        cells_[(at + 2 * distance) % block] = step.later;
        reader_.pass_over(2);
        return step;
    }
    void sync() const { reader_.sync(); }

private:
    // The grid index ((x-1) side + y-1) of the draws x = trunc(u side) + 1 and
    // y = trunc(v side) + 1 from the states of u and v.  u = m / 2^24 exactly,
    // and m side < 2^53 (a grid of side^2 cells in memory has a side far
    // below 2^29), so u side is exact and its truncation is (m side) / 2^24
    // in whole numbers.
    std::size_t cell(std::uint32_t x_state, std::uint32_t y_state) const {
        const std::uint64_t x = (static_cast<std::uint64_t>(x_state >> 8) * side_) >> 24;
        const std::uint64_t y = (static_cast<std::uint64_t>(y_state >> 8) * side_) >> 24;
        return static_cast<std::size_t>(x * side_ + y);
    }

    RandomStream::Reader reader_;
    std::uint64_t side_;
    std::size_t* cells_;
};

[[noreturn]] void end_for_cell_count(const SpeciesRow& row, std::size_t i, std::size_t side, std::int64_t count) {
    const std::size_t x = i / side + 1, y = i % side + 1;
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
    const auto stride = static_cast<std::size_t>(side);
    const double range = r.range;
    const auto cx = static_cast<double>(r.cx), cy = static_cast<double>(r.cy);
    const float c = r.c;
    const std::int64_t k1 = r.k1;
    const std::int64_t threshold = r.threshold;
    const std::int64_t last_clump_from = threshold - k1;  // a clump with placed + k2 beyond is the last
    // The counts are of this species alone, so before its last clump a cell
    // holds at most placed + k1 + k2 < threshold individuals.
    const bool cells_may_overflow = threshold - 1 > most_per_cell;
    std::uint32_t* list_next = r.list;
    std::uint32_t* const list_end = r.list + r.list_capacity;
    bool list_complete = r.list_complete;
    std::int64_t placed = 0;
    std::int64_t misses = 0;
    bool gave_up = false;
    bool room_checked = false;
    bool rarely_reached = false;
    bool done = false;
    // The cells to come without ranges (unused with them: their steps take as many draws as they need).
    [[maybe_unused]] StepCells::Cells cells;
    [[maybe_unused]] StepCells steps(random, Ranged ? 0 : side, cells);

    // Records a cell the species reaches for the first time; past the
    // capacity the list is given up for this species.
    auto note_reached = [&](std::size_t i) {
        if (list_next != list_end)
            *list_next++ = static_cast<std::uint32_t>(i);
        else
            list_complete = false;
    };
    // The same for a cell that may or may not be new: the entry is written
    // either way and kept only for a new cell, without a branch on the count
    // just fetched (whether a cell is new is a coin toss for many species).
    auto note_if_new = [&](std::size_t i, bool is_new) {
        if (list_next != list_end) {
            *list_next = static_cast<std::uint32_t>(i);
            list_next += is_new ? 1 : 0;
        } else {
            list_complete = list_complete && !is_new;
        }
    };
    // The run's state goes back before the loop ends, normally or not.
    auto hand_back = [&] {
        if constexpr (!Ranged) steps.sync();
        r.stream = random;
        r.listed = static_cast<std::size_t>(list_next - r.list);
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
    std::uint32_t choices_to_check = check_interval;
    auto checkpoint = [&] {
        if (--choices_to_check != 0) return;
        choices_to_check = check_interval;
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

    for (;;) {  // placed < threshold throughout: the loop ends at the last clump or when given up
        checkpoint();
        std::size_t i = 0;
        if constexpr (Ranged) {
            std::int64_t xi = nearest<std::int64_t>(random.normal() * range + cx);
            while ((xi < 1 || xi > side) && !miss(placed)) xi = nearest<std::int64_t>(random.normal() * range + cx);
            if (gave_up) break;
            std::int64_t yi = nearest<std::int64_t>(random.normal() * range + cy);
            while ((yi < 1 || yi > side) && !miss(placed)) yi = nearest<std::int64_t>(random.normal() * range + cy);
            if (gave_up) break;
            i = static_cast<std::size_t>(xi - 1) * stride + static_cast<std::size_t>(yi - 1);
        } else {
            const StepCells::Step step = steps.take();
            i = step.cell;
            const std::size_t later = step.later;
            __builtin_prefetch(habitat + later);
            __builtin_prefetch(count + later, 1);
            if constexpr (Limited) {
                __builtin_prefetch(counted + later, 1);
                __builtin_prefetch(species_count + later, 1);
                __builtin_prefetch(niche + later);
            }
        }

        // Clump: k1 = nint(c Aggr + Aggr), at least 1, and a part set by the habitat of the cell.
        const std::int64_t k2 = habitat_clump(c * habitat[i]);

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
        if (placed + k2 >= last_clump_from) [[unlikely]] {
            // The last clump is cut so that exactly OrigInd individuals are placed.
            const float filled = static_cast<float>(cell) + (r.orig - static_cast<float>(placed));
            const std::int64_t total = trunc_to<std::int64_t>(static_cast<double>(filled));
            if (total > most_per_cell) {
                hand_back();
                end_for_cell_count(r.row, i, stride, total);
            }
            cell = static_cast<std::int32_t>(std::max<std::int64_t>(total, 0));
            done = true;
            break;
        }
        const std::int64_t total = cell + k1 + k2;
        if (cells_may_overflow && total > most_per_cell) [[unlikely]] {
            hand_back();
            end_for_cell_count(r.row, i, stride, total);
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
