#include "placement/placement.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "driver/program_end.hpp"
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
    if (wa.niche_table.niches.side != side) fill_niche_table(wa);
    NicheTable& niches = wa.niche_table;
    SquareArray<float>& grid = wa.habitat;
    SquareArray<std::int32_t>& counts = wa.cell_counts;

    if (!wa.answers.batch_run()) say(wa, "Species number: " + std::to_string(sp));
    SpeciesRow& row = wa.species[static_cast<std::size_t>(sp - 1)];

    // Densities relative to the rarest species: it keeps one individual.
    if (p.maxD <= 0.0f && d.smallest_abundance > 0.0f)
        row.abundance = static_cast<float>(trunc_to<std::int64_t>(row.abundance / d.smallest_abundance));

    const bool limited = p.NicheNo > 0.0f;
    if (limited) std::fill(niches.counted.cells.begin(), niches.counted.cells.end(), std::uint8_t{0});
    std::fill(counts.cells.begin(), counts.cells.end(), 0);

    if (is_keyword(p.GridHet, "rnd")) build_habitat_grid(wa);
    if (is_keyword(p.RndHet, "rnd")) d.heterogeneity = static_cast<float>(wa.random.normal());
    const float c = d.heterogeneity;

    // Consecutive cell choices that placed nothing.  After check_after of
    // them the cells within reach are looked at once: the species is
    // saturated and given up when no cell there has room, or when the few
    // that have would need more than draw_budget further cell choices on
    // average to take the rest of the species.  give_up_after consecutive
    // misses are the last resort, never reached by a run that can still place.
    constexpr std::int64_t check_after = 10'000;
    constexpr double draw_budget = 2.0e6;
    constexpr std::int64_t give_up_after = 10'000'000;
    std::int64_t misses = 0;
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

    const double range = static_cast<double>(p.Range);
    const float aggregation = p.Aggr;
    std::int64_t placed = 0;
    const std::int64_t smallest_clump =
        std::clamp(nearest<std::int64_t>(static_cast<double>(c * aggregation + aggregation)), std::int64_t{1},
                   largest_clump);
    bool room_checked = false;
    bool done = false;
    // One miss: true when the species has to be given up.
    auto miss = [&]() {
        ++misses;
        if (misses == check_after && !room_checked) {
            room_checked = true;
            const AxisOdds ox{ranged, static_cast<double>(cx), range, side};
            const AxisOdds oy{ranged, static_cast<double>(cy), range, side};
            const double chance = chance_of_room(niches, limited, xs, ys, ox, oy);
            // Clumps still to come, at least one individual (k1) each.
            const double clumps = std::ceil((static_cast<double>(orig) - static_cast<double>(placed)) /
                                            static_cast<double>(smallest_clump));
            if (!(chance > 0.0) || clumps > chance * draw_budget) return gave_up = true;
        }
        return gave_up = misses >= give_up_after;
    };
    // A centre that cannot be drawn inside the grid, or a reach that misses the
    // grid, leaves the species without a cell before its first draw.
    gave_up = static_cast<float>(placed) < orig && (gave_up || xs.empty() || ys.empty());
    const bool off_grid = gave_up;

    while (!gave_up && static_cast<float>(placed) < orig) {
        int x = 0, y = 0;
        if (ranged) {
            std::int64_t xi = nearest<std::int64_t>(wa.random.normal() * range + static_cast<double>(cx));
            while ((xi < 1 || xi > side) && !miss())
                xi = nearest<std::int64_t>(wa.random.normal() * range + static_cast<double>(cx));
            if (gave_up) break;
            std::int64_t yi = nearest<std::int64_t>(wa.random.normal() * range + static_cast<double>(cy));
            while ((yi < 1 || yi > side) && !miss())
                yi = nearest<std::int64_t>(wa.random.normal() * range + static_cast<double>(cy));
            if (gave_up) break;
            x = static_cast<int>(xi);
            y = static_cast<int>(yi);
        } else {
            x = trunc_to<int>(wa.random.uniform() * n) + 1;
            y = trunc_to<int>(wa.random.uniform() * n) + 1;
        }

        // Clump: a part set by aggregation and one set by the habitat of the cell.
        // k1 = nint(c Aggr + Aggr), at least 1, the same for every step of the species.
        const std::int64_t k1 = smallest_clump;
        const std::int64_t k2 =
            std::clamp(nearest<std::int64_t>(static_cast<double>(c * grid.at(x, y))), std::int64_t{0}, largest_clump);

        // The species is counted in every cell it reaches, full or not.
        if (limited) {
            if (niches.counted.at(x, y) == 0) {
                niches.counted.at(x, y) = 1;
                ++niches.species_count.at(x, y);
            }
            if (niches.species_count.at(x, y) > niches.niches.at(x, y)) {
                miss();
                continue;
            }
        }
        misses = 0;

        std::int32_t& cell = counts.at(x, y);
        if (static_cast<float>(k1 + placed + k2) >= orig) {
            // The last clump is cut so that exactly OrigInd individuals are placed.
            const float filled = static_cast<float>(cell) + (orig - static_cast<float>(placed));
            const std::int64_t total = trunc_to<std::int64_t>(static_cast<double>(filled));
            if (total > most_per_cell) end_for_cell_count(row, x, y, total);
            cell = static_cast<std::int32_t>(std::max<std::int64_t>(total, 0));
            row.assigned = orig;
            done = true;
            break;
        }
        const std::int64_t total = cell + k1 + k2;
        if (total > most_per_cell) end_for_cell_count(row, x, y, total);
        cell = static_cast<std::int32_t>(total);
        placed += k1 + k2;
    }
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
