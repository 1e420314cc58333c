#include "placement/placement.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "driver/program_end.hpp"
#include "driver/session_limits.hpp"
#include "input/console.hpp"
#include "landscape/grid_arrays.hpp"
#include "landscape/habitat_grid.hpp"
#include "landscape/niches.hpp"
#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {
namespace {

constexpr std::int64_t most_per_cell = std::numeric_limits<std::int32_t>::max();
// Placed counts are 64-bit; a species never gets more individuals than this,
// so that sums of a count and two clump sizes stay exact and in range.
constexpr double most_per_species = 9007199254740992.0;  // 2^53
constexpr std::int64_t largest_clump = std::int64_t{1} << 53;

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

// Most entries of the list of reached cells: an eighth of the grid.  A
// species that reaches more cells costs at least as many placing steps, so a
// sweep of the whole grid after it is cheap by comparison.
std::size_t reached_capacity(int side) {
    const auto cells = static_cast<std::uint64_t>(side) * static_cast<std::uint64_t>(side);
    if (cells > std::numeric_limits<std::uint32_t>::max()) return 0;  // indices would not fit
    return static_cast<std::size_t>(cells / 8);
}

// Puts the counts (and, under a niche limit, the counted marks) of the cells
// the previous species reached back to zero, and starts the list of the next.
void reset_reached(WorkArea& wa, bool limited) {
    ReachedCells& r = wa.reached;
    SquareArray<std::int32_t>& counts = wa.cell_counts;
    NicheTable& niches = wa.niche_table;
    const bool listed = r.complete && r.side == counts.side;
    if (listed) {
        const std::uint32_t* const list = r.cells.get();
        std::int32_t* const count = counts.cells.data();
        for (std::size_t k = 0; k < r.count; ++k) count[list[k]] = 0;
        if (limited && niches.counted.side == counts.side) {
            std::uint8_t* const counted = niches.counted.cells.data();
            for (std::size_t k = 0; k < r.count; ++k) counted[list[k]] = 0;
        }
    } else {
        if (limited) std::fill(niches.counted.cells.begin(), niches.counted.cells.end(), std::uint8_t{0});
        std::fill(counts.cells.begin(), counts.cells.end(), 0);
    }
    r.clear();
    r.side = counts.side;
    const std::size_t capacity = reached_capacity(counts.side);
    if (r.capacity < capacity) {
        // Left uninitialised: only the entries in use are ever written or read,
        // so pages of the list that no species needs take no memory.
        r.cells = std::make_unique_for_overwrite<std::uint32_t[]>(capacity);
        r.capacity = capacity;
    }
}

// Consecutive cell choices that placed nothing.  After check_after of them
// the cells within reach are looked at once: the species is saturated and
// given up when no cell there has room, or when the few that have would need
// more than draw_budget further cell choices on average to take the rest of
// the species.  give_up_after consecutive misses are the last resort, never
// reached by a run that can still place.
constexpr std::int64_t check_after = 10'000;
constexpr double draw_budget = 2.0e6;
constexpr std::int64_t give_up_after = 10'000'000;

// Smallest whole number v whose single-precision value reaches `orig`
// ((float)v >= orig), for 0 < orig <= 2^53.  Conversion to float never
// decreases with v, so comparing counts against it gives exactly the
// single-precision comparison of the model.
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

// Largest magnitude a normal deviate of the stream can take: u1 is never below 1e-9.
const double normal_reach = std::sqrt(-2.0 * std::log(static_cast<double>(1.0e-9f)));

bool is_keyword(const Keyword& value, const char* text) { return value == keyword(text); }

// Cells the position draws of a species can reach along one axis.
struct Span {
    int lo = 1, hi = 0;
    bool empty() const { return lo > hi; }
};

// With ranges a position is nint(centre + Range * z) with |z| <= normal_reach,
// so no draw lands outside this span (a hair wider against rounding).
Span reach(float centre, float range, int side) {
    Span s;
    if (!std::isfinite(centre)) return s;  // lo > hi: nothing reachable
    const double c = static_cast<double>(centre);
    const double r = static_cast<double>(range) * normal_reach * (1.0 + 1e-9) + 1e-9;
    s.lo = static_cast<int>(std::max<std::int64_t>(nearest<std::int64_t>(c - r), 1));
    s.hi = static_cast<int>(std::min<std::int64_t>(nearest<std::int64_t>(c + r), side));
    return s;
}

// P(Z >= t) for a standard normal Z, accurate far into the tail.
double upper_tail(double t) { return 0.5 * std::erfc(t / std::sqrt(2.0)); }

// P(a <= Z < b), taken on the side where it does not cancel.
double normal_mass(double a, double b) {
    if (a >= 0.0) return upper_tail(a) - upper_tail(b);
    if (b <= 0.0) return upper_tail(-b) - upper_tail(-a);
    return 1.0 - upper_tail(-a) - upper_tail(b);
}

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

std::string species_label(const SpeciesRow& row) {
    return std::to_string(trunc_to<std::int64_t>(static_cast<double>(row.number)));
}

[[noreturn]] void end_for_cell_count(const SpeciesRow& row, int x, int y, std::int64_t count) {
    end_program(exit_error, " Too many individuals in one cell: species " + species_label(row) + " would have " +
                                std::to_string(count) + " in cell (" + std::to_string(x) + ", " +
                                std::to_string(y) + "), more than " + std::to_string(most_per_cell));
}

// Range centre of the species at position sp.  With a gradient the centres
// lie along the diagonal from (1, 1) to (N, N), scattered by HabGrad and
// redrawn while beyond N; false when the redraws found no centre.
bool draw_range_centre(WorkArea& wa, int sp, std::int64_t most_draws) {
    const ParameterSet& p = wa.params;
    const int side = p.Areal > 0 ? p.Areal : 0;
    if (!(p.HabGrad > 0.0f)) {
        wa.range_x = static_cast<float>(wa.random.uniform() * side + 1.0);
        wa.range_y = static_cast<float>(wa.random.uniform() * side + 1.0);
        return true;
    }
    const float along = static_cast<float>(side) * 0.5f * static_cast<float>(2 * sp - 1) /
                        static_cast<float>(p.Species > 0 ? p.Species : 1);
    for (float* coordinate : {&wa.range_x, &wa.range_y}) {
        std::int64_t draws = 0;
        do {
            if (++draws > most_draws) return false;
            *coordinate = static_cast<float>(wa.random.normal() * static_cast<double>(p.HabGrad) +
                                             static_cast<double>(along));
        } while (*coordinate > static_cast<float>(side));
    }
    return true;
}

// Everything the placing loop of one species reads and changes.
struct PlacingRun {
    WorkArea& session;     // for interruptions and the session's limits
    RandomStream& stream;  // the session's stream; the loop draws from a copy
    const SpeciesRow& row;
    const NicheTable& niches;
    Span xs, ys;           // cells the position draws can reach
    const float* habitat = nullptr;
    std::int32_t* count = nullptr;
    std::uint8_t* counted = nullptr;  // niche table, under a niche limit only
    std::int32_t* species_count = nullptr;
    const std::int32_t* niche = nullptr;
    int side = 0;
    double n = 0.0;         // the side as a real
    double range = 0.0;     // Range
    float cx = 0.0f, cy = 0.0f;  // range centre
    float c = 0.0f;         // heterogeneity factor
    float orig = 0.0f;      // OrigInd
    std::int64_t k1 = 1;    // the aggregation part of every clump
    std::int64_t threshold = 0;  // placed counts v with (float)v >= orig are those >= threshold
    std::uint32_t* list = nullptr;  // reached cells
    std::size_t list_capacity = 0;
    // Results
    std::size_t listed = 0;
    bool list_complete = false;
    std::int64_t placed = 0;
    bool gave_up = false;
    bool done = false;
};

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
        r.done = done;
    };
    // One miss: true when the species has to be given up.
    auto miss = [&](std::int64_t placed_now) {
        ++misses;
        // A long run of misses can be interrupted by the user.
        if ((misses & 0xFFFF) == 0) {
            hand_back();
            stop_if_requested(r.session);
        }
        if (misses == check_after && !room_checked) {
            room_checked = true;
            const AxisOdds ox{Ranged, cx, range, side};
            const AxisOdds oy{Ranged, cy, range, side};
            const double chance = chance_of_room(r.niches, Limited, r.xs, r.ys, ox, oy);
            // Clumps still to come, at least one individual (k1) each.
            const double clumps = std::ceil((static_cast<double>(r.orig) - static_cast<double>(placed_now)) /
                                            static_cast<double>(k1));
            if (!(chance > 0.0) || clumps > chance * draw_budget) return gave_up = true;
        }
        return gave_up = misses >= give_up_after;
    };

    [[maybe_unused]] CellLookahead ahead(random.seed(), n, stride);
    while (placed < threshold) {
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

std::string centre_field(float value) {
    const std::int64_t whole = nearest<std::int64_t>(static_cast<double>(value));
    std::string digits = std::to_string(whole);
    if (whole == 0 && value < 0.0f) digits = "-0";
    if (digits.size() > 3) return "****";
    return blanks(3 - static_cast<int>(digits.size())) + digits + ".";
}

void write_placement_header(WorkArea& wa) {
    wa.reports.distribution.line("SpeNo" + blanks(1) + "         Weight" + blanks(1) + "        OrigInd" +
                                 blanks(1) + "         AssInd" + blanks(2) + "Density boundary");
}

void shuffle_species(WorkArea& wa) {
    const auto count = static_cast<std::int64_t>(wa.species.size());
    for (std::int64_t i = 1; i <= count; ++i) {
        const std::int64_t k = trunc_to<std::int64_t>(wa.random.uniform() * static_cast<double>(count)) + 1;
        SpeciesRow& a = wa.species[static_cast<std::size_t>(i - 1)];
        SpeciesRow& b = wa.species[static_cast<std::size_t>(k - 1)];
        // The sample column belongs to the table position, not to the species.
        std::swap(a, b);
        std::swap(a.sample_column, b.sample_column);
    }
}

void prepare_placement(WorkArea& wa) {
    const int side = wa.params.Areal > 0 ? wa.params.Areal : 0;
    allocate_grid(wa.habitat, side, 0.0f, "habitat grid");
    allocate_grid(wa.cell_counts, side, std::int32_t{0}, "cell counts");
    wa.offset = 0;
    wa.offset_drawn = false;
}

void place_species(WorkArea& wa, int sp) {
    if (sp < 1 || sp > static_cast<int>(wa.species.size())) return;
    const ParameterSet& p = wa.params;
    DerivedValues& d = wa.derived;
    const int side = p.Areal > 0 ? p.Areal : 0;
    if (wa.habitat.side != side || wa.cell_counts.side != side) prepare_placement(wa);
    const bool limited = p.NicheNo > 0.0f;
    // Without a limit the niche table is never read (and holds no arrays).
    if (limited && wa.niche_table.niches.side != side) fill_niche_table(wa);
    NicheTable& niches = wa.niche_table;
    SquareArray<float>& grid = wa.habitat;
    SquareArray<std::int32_t>& counts = wa.cell_counts;

    if (!wa.answers.batch_run()) say(wa, "Species number: " + std::to_string(sp));
    SpeciesRow& row = wa.species[static_cast<std::size_t>(sp - 1)];

    // Densities relative to the rarest species: it keeps one individual.
    if (p.maxD <= 0.0f && d.smallest_abundance > 0.0f)
        row.abundance = static_cast<float>(trunc_to<std::int64_t>(row.abundance / d.smallest_abundance));

    reset_reached(wa, limited);

    if (is_keyword(p.GridHet, "rnd")) build_habitat_grid(wa);
    if (is_keyword(p.RndHet, "rnd")) d.heterogeneity = static_cast<float>(wa.random.normal());
    const float c = d.heterogeneity;

    bool gave_up = false;
    const bool ranged = p.Range > 0.0f;
    const auto n = static_cast<double>(side);
    if (ranged) gave_up = !draw_range_centre(wa, sp, give_up_after);
    const float cx = wa.range_x, cy = wa.range_y;
    const Span xs = ranged ? reach(cx, p.Range, side) : Span{1, side};
    const Span ys = ranged ? reach(cy, p.Range, side) : Span{1, side};

    const float orig = row.abundance;
    if (side > 0 && (static_cast<double>(orig) > most_per_species ||
                     static_cast<double>(orig) > n * n * static_cast<double>(most_per_cell)))
        end_program(exit_error, " Too many individuals to place: species " + species_label(row) + " has " +
                                    real_field(static_cast<double>(orig), 12, 0) + " on a grid of " +
                                    std::to_string(side) + " x " + std::to_string(side) + " cells");

    const float aggregation = p.Aggr;
    // A centre that cannot be drawn inside the grid, or a reach that misses the
    // grid, leaves the species without a cell before its first draw.
    gave_up = 0.0f < orig && (gave_up || xs.empty() || ys.empty());
    const bool off_grid = gave_up;

    PlacingRun run{wa, wa.random, row, niches, xs, ys};
    run.habitat = grid.cells.data();
    run.count = counts.cells.data();
    if (limited) {
        run.counted = niches.counted.cells.data();
        run.species_count = niches.species_count.cells.data();
        run.niche = niches.niches.cells.data();
    }
    run.side = side;
    run.n = n;
    run.range = static_cast<double>(p.Range);
    run.cx = cx;
    run.cy = cy;
    run.c = c;
    run.orig = orig;
    run.k1 = std::clamp(nearest<std::int64_t>(static_cast<double>(c * aggregation + aggregation)), std::int64_t{1},
                        largest_clump);
    run.gave_up = gave_up;

    ReachedCells& reached = wa.reached;
    reached.species = sp;
    run.list = reached.cells.get();
    run.list_capacity = reached.capacity;
    run.list_complete = run.list_capacity > 0;

    // The loop runs only while fewer than OrigInd individuals are placed,
    // which needs a positive OrigInd (NaN never runs it).
    if (!gave_up && orig > 0.0f) {
        run.threshold = float_threshold(orig);
        if (ranged && limited)
            placing_loop<true, true>(run);
        else if (ranged)
            placing_loop<true, false>(run);
        else if (limited)
            placing_loop<false, true>(run);
        else
            placing_loop<false, false>(run);
    }
    reached.count = run.listed;
    reached.complete = run.list_complete;

    const std::int64_t placed = run.placed;
    const bool done = run.done;
    gave_up = run.gave_up;
    if (done) row.assigned = orig;
    if (done) return;
    row.assigned = static_cast<float>(placed);
    if (gave_up)
        say(wa, "Warning: species " + species_label(row) + " placed " + std::to_string(placed) + " of " +
                    std::to_string(trunc_to<std::int64_t>(static_cast<double>(orig))) +
                    (off_grid ? " individuals: its range does not reach the grid"
                              : " individuals: no cell within its reach has room left"));
}

void draw_sampled_square(WorkArea& wa) {
    if (wa.offset_drawn) return;
    const std::int64_t spare = static_cast<std::int64_t>(wa.params.Areal) - wa.params.SampA;
    const std::int64_t off = trunc_to<std::int64_t>(wa.random.uniform() * static_cast<double>(spare));
    wa.offset = off > 0 ? off : 0;
    wa.offset_drawn = true;
}

void write_species_map(WorkArea& wa, int sp) {
    if (sp < 1 || sp > static_cast<int>(wa.species.size())) return;
    if (!(wa.answers.map_species > 0.0f) || !wa.reports.map.is_open()) return;
    const SpeciesRow& row = wa.species[static_cast<std::size_t>(sp - 1)];
    if (row.number != wa.answers.map_species) return;

    ReportFile& map = wa.reports.map;
    map.line("Species number: " + int_field(trunc_to<std::int64_t>(static_cast<double>(row.number)), 5) +
             blanks(3) + "Centre of range: x" + centre_field(wa.range_x) + blanks(1) + "y: " +
             centre_field(wa.range_y));
    map.line("x-Coord." + blanks(1) + "y-Coord." + blanks(1) + "   Indiv");
    // The sampled square, clipped to the grid should it reach past the edge.
    const std::int64_t side = wa.cell_counts.side;
    const std::int64_t off = wa.offset;
    const std::int64_t extent = std::min<std::int64_t>(wa.params.SampA, side - off);
    for (std::int64_t a = 1; a <= extent; ++a)
        for (std::int64_t b = 1; b <= extent; ++b)
            map.line(int_field(a, 8) + blanks(1) + int_field(b, 8) + blanks(1) +
                     int_field(wa.cell_counts.at(static_cast<int>(off + a), static_cast<int>(off + b)), 8));
    map.close();
}

void write_placement_rows(WorkArea& wa) {
    auto whole = [](float v) { return trunc_to<std::int64_t>(static_cast<double>(v)); };
    for (const SpeciesRow& row : wa.species)
        wa.reports.distribution.line(int_field(whole(row.number), 5) + blanks(1) +
                                     real_field(static_cast<double>(row.weight), 15, 2) + blanks(1) +
                                     int_field(whole(row.abundance), 15) + blanks(1) +
                                     int_field(whole(row.assigned), 15) + blanks(2) +
                                     int_field(whole(row.undisturbed), 15));
}

}  // namespace lorvenna
