#include "placement/placing_loop.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/program_end.hpp"
#include "core/session_limits.hpp"
#include "numerics/rounding.hpp"
#include "placement/step_cells.hpp"

namespace lorvenna::detail {
namespace {

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
// so each combination gets a loop of its own; the species with neither has
// the loop of plain steps below.
template <bool Ranged, bool Limited>
void placing_loop(PlacingRun& r) {
    static_assert(Ranged || Limited, "plain species take plain_loop");
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
    // The cells to come without ranges (unused with them: their steps take as
    // many draws as they need), the steps taken and those the stream knows of.
    // The memory of every cell is asked for a batch ahead.
    auto ask_for = [=](std::uint64_t i) {
        __builtin_prefetch(habitat + i);
        __builtin_prefetch(count + i, 1);
        __builtin_prefetch(counted + i, 1);
        __builtin_prefetch(species_count + i, 1);
        __builtin_prefetch(niche + i);
    };
    [[maybe_unused]] StepCells steps(random.seed(), Ranged ? 0 : side, ask_for);
    [[maybe_unused]] std::size_t at = 0;  // steps taken from the batch under way
    [[maybe_unused]] std::uint64_t taken = 0, synced = 0;

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
        if constexpr (!Ranged) {
            random.skip(2 * (taken - synced));
            synced = taken;
        }
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
            if (at == steps.batch) {
                steps.next_batch();
                at = 0;
            }
            i = steps.now()[at++];
            ++taken;
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

// The common case, no range and no niche limit: every step drops a whole
// clump into the cell it draws, until the last clump.  A step is a cell from
// StepCells, an addition to its count and, for a cell the species reaches
// first, an entry in the list of reached cells.  The steps run in stretches
// that need no test inside: a stretch ends at the end of a batch of cells,
// before the next look at the session's limits, before the list of reached
// cells could fill and before any count could pass what a cell holds (a
// cell holds no more than the species has placed).  A species whose clumps
// all have one size (HabitatTerms::fixed) knows the step of its last clump
// before its first and never reads the habitat; the others tell it from the
// habitat term of every step.  The steps a stretch leaves, one at a time,
// take every test.
struct PlainSpecies {
    const float* habitat;
    std::int32_t* count;
    float c;
    std::int64_t k1;
    std::int64_t fixed_k2;         // the habitat term of every clump, when it is fixed
    std::int64_t last_clump_from;  // a clump with placed + k2 at or beyond it is the last
};

// What the steps of a species change besides the counts.
struct PlainTally {
    std::int64_t placed = 0;
    std::uint32_t* list_next = nullptr;
    bool list_complete = false;
};

template <bool ReadHabitat>
std::int64_t habitat_term(const PlainSpecies& p, std::uint64_t i) {
    if constexpr (ReadHabitat)
        return habitat_clump(p.c * p.habitat[i]);
    else
        return p.fixed_k2;
}

// Takes the steps of cells[0 .. n), none of them able to take a count beyond
// what a cell holds, and returns how many it took: fewer when the next is
// the last clump.  Keep: the list keeps every reached cell and has room for
// n more; otherwise it was given up.
template <bool ReadHabitat, bool Keep>
std::size_t take_stretch(const PlainSpecies& p, const std::uint64_t* cells, std::size_t n, PlainTally& tally) {
    std::int64_t placed = tally.placed;
    std::array<std::uint8_t, steps_per_batch> fresh{};  // the step found its cell empty
    std::size_t k = 0;
    for (; k < n; ++k) {
        const std::uint64_t i = cells[k];
        const std::int64_t k2 = habitat_term<ReadHabitat>(p, i);
        if constexpr (ReadHabitat) {
            if (placed + k2 >= p.last_clump_from) break;
        }
        const std::int32_t held = p.count[i];
        if constexpr (Keep) fresh[k] = held == 0 ? 1 : 0;
        p.count[i] = static_cast<std::int32_t>(held + p.k1 + k2);
        if constexpr (ReadHabitat) placed += p.k1 + k2;
    }
    if constexpr (!ReadHabitat) placed += static_cast<std::int64_t>(k) * (p.k1 + p.fixed_k2);
    tally.placed = placed;
    // The new cells go into the list afterwards, so that no step waits for
    // the count fetched by the one before to know where its entry goes.  The
    // entry is written either way and kept only for a new cell: no branch on
    // the count (new or not is a coin toss for many species).
    if constexpr (Keep) {
        std::uint32_t* list_next = tally.list_next;
        for (std::size_t j = 0; j < k; ++j) {
            *list_next = static_cast<std::uint32_t>(cells[j]);
            list_next += fresh[j];
        }
        tally.list_next = list_next;
    }
    return k;
}

// Whole clumps of `clump` individuals before the last, which brings the
// species to `threshold`: the step t is the last when (t + 1) clump reaches it.
std::uint64_t whole_clumps_before_last(std::int64_t threshold, std::int64_t clump) {
    return static_cast<std::uint64_t>((threshold + clump - 1) / clump - 1);
}

template <bool ReadHabitat>
void plain_loop(PlacingRun& r) {
    const PlainSpecies p{r.habitat, r.count, r.c, r.k1, r.terms.least, r.threshold - r.k1};
    const std::int64_t largest = r.k1 + r.terms.most;  // the largest clump the species can drop
    auto ask_for = [habitat = p.habitat, count = p.count](std::uint64_t i) {
        if constexpr (ReadHabitat) __builtin_prefetch(habitat + i);
        __builtin_prefetch(count + i, 1);
    };
    StepCells steps(r.stream.seed(), r.side, ask_for);

    PlainTally tally{0, r.list, r.list_complete};
    std::uint32_t* const list_end = r.list + r.list_capacity;
    std::size_t at = 0;                   // steps taken from the batch under way
    std::uint64_t taken = 0, synced = 0;  // steps taken, and those the stream knows of
    constexpr std::uint64_t unknown = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t whole_left = ReadHabitat ? unknown : whole_clumps_before_last(r.threshold, r.k1 + p.fixed_k2);
    // Steps before the next look at the session's limits, which comes before
    // every check_interval-th step.
    std::uint64_t until_check = r.check_interval - 1;
    auto hand_back = [&] {
        r.stream.skip(2 * (taken - synced));
        synced = taken;
        r.listed = static_cast<std::size_t>(tally.list_next - r.list);
        r.list_complete = tally.list_complete;
        r.placed = tally.placed;
    };
    auto advance = [&](std::size_t n) {
        at += n;
        taken += n;
        until_check -= n;
        if constexpr (!ReadHabitat) whole_left -= n;
    };

    // One step with every test, in the order of the per-step loop: the list
    // (which may fill), the last clump (cut so that exactly OrigInd
    // individuals are placed), a count beyond what a cell holds.
    auto careful_step = [&](std::uint64_t i) {
        advance(1);
        const std::int64_t k2 = habitat_term<ReadHabitat>(p, i);
        std::int32_t& cell = p.count[i];
        if (tally.list_next != list_end) {
            *tally.list_next = static_cast<std::uint32_t>(i);
            tally.list_next += cell == 0 ? 1 : 0;
        } else {
            tally.list_complete = tally.list_complete && cell != 0;
        }
        std::int64_t total = cell + r.k1 + k2;
        const bool last = tally.placed + k2 >= p.last_clump_from;
        if (last) {
            const float filled = static_cast<float>(cell) + (r.orig - static_cast<float>(tally.placed));
            total = trunc_to<std::int64_t>(static_cast<double>(filled));
        }
        if (total > most_per_cell) {
            hand_back();
            end_for_cell_count(r.row, i, static_cast<std::size_t>(r.side), total);
        }
        if (last) {
            cell = static_cast<std::int32_t>(std::max<std::int64_t>(total, 0));
        } else {
            cell = static_cast<std::int32_t>(total);
            tally.placed += r.k1 + k2;
        }
        return last;
    };

    for (;;) {
        if (at == steps.batch) {
            steps.next_batch();
            at = 0;
        }
        if (until_check == 0) {
            hand_back();
            stop_if_requested(r.io, r.stream);
            until_check = r.check_interval;
        }
        std::size_t n = static_cast<std::size_t>(std::min({std::uint64_t{steps.batch - at}, until_check, whole_left}));
        if (tally.list_complete) n = std::min(n, static_cast<std::size_t>(list_end - tally.list_next));
        // No count may pass what a cell holds: a cell holds at most what the species has placed.
        if (tally.placed + static_cast<std::int64_t>(n) * largest > most_per_cell) n = 0;
        if (n > 0) {
            const std::uint64_t* const cells = steps.now() + at;
            const std::size_t took = tally.list_complete ? take_stretch<ReadHabitat, true>(p, cells, n, tally)
                                                         : take_stretch<ReadHabitat, false>(p, cells, n, tally);
            advance(took);
            if (took == n) continue;
        }
        if (careful_step(steps.now()[at])) break;
    }
    hand_back();
    r.done = true;
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
    else if (r.terms.fixed())
        plain_loop<false>(r);
    else
        plain_loop<true>(r);
}

}  // namespace lorvenna::detail
