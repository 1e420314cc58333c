#include "sampling/sampling_designs.hpp"

#include <algorithm>
#include <limits>

#include "landscape/niches.hpp"
#include "sampling/sample_contents.hpp"
#include "sampling/sample_units.hpp"
#include "statistics/community_statistics.hpp"
#include "statistics/grid_scaling.hpp"
#include "statistics/sample_statistics.hpp"
#include "statistics/species_area.hpp"

namespace lorvenna {
namespace {

int grid_side(const WorkArea& wa) {
    return wa.params.Areal > 0 ? wa.params.Areal : wa.cell_counts.side;
}

Window window_of(const WorkArea& wa) {
    return sampling_window(wa.params, wa.offset, grid_side(wa));
}

// Species rows that the species table and the sample tables both hold.
int species_rows(const WorkArea& wa) {
    const SampleTables& t = wa.samples;
    std::size_t rows = wa.species.size();
    if (t.units > 0) {
        rows = std::min(rows, t.counts.size() / static_cast<std::size_t>(t.units));
        rows = std::min(rows, t.squared_counts.size());
    }
    return static_cast<int>(rows);
}

SampleCounts counts_of(const WorkArea& wa) {
    return SampleCounts{wa.samples.counts.data(), species_rows(wa), wa.samples.units};
}

// Cells that every unit covers in the current geometry.
std::vector<std::int64_t> unit_cells(const WorkArea& wa) {
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    std::vector<std::int64_t> cells(static_cast<std::size_t>(wa.samples.units), 0);
    for (int i = 1; i <= wa.samples.units; ++i)
        cells[static_cast<std::size_t>(i - 1)] =
            unit_block(d, wa.params.Sampfac, wa.samples, w, i).cells();
    return cells;
}

// Where the cells of the window fall among the units of the nested ("seq",
// "oct") and independent ("ind") designs, so that a unit's contents can be
// gathered cell by cell without a summed-area table.  A nested unit is the
// square 1..s of the window: a cell (x, y) lies in every unit whose side s
// reaches max(x, y), so cells are gathered by that side (their slot) and a
// unit reads the running sum up to its own side.  Independent units are
// disjoint diagonal blocks: a cell lies in the unit of its x when its y falls
// in the same block, and that unit is its slot.
class UnitSlots {
public:
    UnitSlots(Design d, int factor, const SampleTables& t, const Window& w)
        : nested_(is_nested(d)), units_(t.units) {
        if (nested_) {
            side_of_unit_.assign(static_cast<std::size_t>(t.units), 0);
        } else {
            unit_at_.assign(static_cast<std::size_t>(std::max(w.side, 0)) + 1, 0);
        }
        for (int i = 1; i <= t.units; ++i) {
            const Block b = unit_block(d, factor, t, w, i);
            if (nested_) {
                side_of_unit_[static_cast<std::size_t>(i - 1)] = b.empty() ? 0 : b.x1;
            } else if (!b.empty()) {
                for (int v = b.x0; v <= b.x1; ++v) unit_at_[static_cast<std::size_t>(v)] = i;
            }
        }
        slots_ = static_cast<std::size_t>(nested_ ? std::max(w.side, 0) : t.units) + 1;
    }

    // Slots 1 .. slots()-1 are in use; slot 0 gathers nothing.
    std::size_t slots() const { return slots_; }

    // Slot of window cell (x, y), 1 <= x, y <= window side; 0: in no unit.
    std::size_t slot(std::int64_t x, std::int64_t y) const {
        if (nested_) return static_cast<std::size_t>(std::max(x, y));
        const int u = unit_at_[static_cast<std::size_t>(x)];
        return u != 0 && unit_at_[static_cast<std::size_t>(y)] == u ? static_cast<std::size_t>(u) : 0;
    }

    // Turns sums per slot into sums per unit in place: afterwards sums[i] is
    // the sum over unit i (1-based) for the independent design, and the sum
    // over the square of side s for the nested ones (see unit_slot).
    template <typename T>
    void settle(std::vector<T>& sums) const {
        if (nested_)
            for (std::size_t v = 1; v < sums.size(); ++v) sums[v] += sums[v - 1];
    }

    // The entry of settled sums that holds unit i (1-based).
    std::size_t unit_slot(int i) const {
        return nested_ ? static_cast<std::size_t>(side_of_unit_[static_cast<std::size_t>(i - 1)])
                       : static_cast<std::size_t>(i);
    }

    int units() const { return units_; }

private:
    bool nested_;
    int units_;
    std::vector<int> side_of_unit_;  // nested: side of unit i at i-1 (0: empty)
    std::vector<int> unit_at_;       // independent: unit of window position v (0: none)
    std::size_t slots_ = 1;
};

// Niches of every unit of the nested and independent designs, gathered row by row.
std::vector<std::int64_t> niches_by_cells(const UnitSlots& slots, const Window& w, float level, float phase) {
    std::vector<std::int64_t> sums(slots.slots(), 0);
    const int side = std::max(w.side, 0);
    const NicheRows rows(level, phase, w.offset + 1, side);
    std::vector<std::int64_t> row(static_cast<std::size_t>(side));
    for (int x = 1; x <= side; ++x) {
        rows.row(w.offset + x, row.data());
        for (int y = 1; y <= side; ++y) sums[slots.slot(x, y)] += row[static_cast<std::size_t>(y - 1)];
    }
    sums[0] = 0;
    slots.settle(sums);
    std::vector<std::int64_t> niches(static_cast<std::size_t>(slots.units()), 0);
    for (int i = 1; i <= slots.units(); ++i)
        niches[static_cast<std::size_t>(i - 1)] = sums[slots.unit_slot(i)];
    return niches;
}

// Areas and niches of the units for the sampled square where it lies now.
// "dep" and "lin" units not yet placed get the area of a block and no niches.
void refresh_units(WorkArea& wa) {
    SampleTables& t = wa.samples;
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    const int f = std::max(wa.params.Sampfac, 1);
    const float level = wa.derived.niche_level;
    const float phase = wa.derived.niche_phase;
    const int side = std::max(w.side, 0);
    // Nested and independent units from the cells directly; the blocks of
    // "dep" and "lin" lie anywhere and may overlap: a summed-area table.
    std::vector<std::int64_t> unit_niches;
    std::vector<std::int64_t> niche_sums;
    if (!is_accumulating(d)) {
        unit_niches = niches_by_cells(UnitSlots(d, f, t, w), w, level, phase);
    } else {
        // Built row by row (x outer, y inner): each row's niche numbers at once.
        const NicheRows rows(level, phase, w.offset + 1, side);
        std::vector<std::int64_t> row(static_cast<std::size_t>(side));
        int row_x = 0;
        build_summed_area(niche_sums, side, [&](int x, int y) {
            if (x != row_x) {
                rows.row(w.offset + x, row.data());
                row_x = x;
            }
            return row[static_cast<std::size_t>(y - 1)];
        });
    }
    std::int64_t running = 0;
    for (int i = 1; i <= t.units; ++i) {
        const auto u = static_cast<std::size_t>(i - 1);
        const Block b = unit_block(d, f, t, w, i);
        const std::int64_t niches = is_accumulating(d) ? block_sum(niche_sums, w.side, b) : unit_niches[u];
        if (is_accumulating(d)) {
            const std::int64_t side = std::min(f, std::max(w.side, 0));
            t.area[u] = b.empty() ? side * side : b.cells();
            running += niches;
            t.niches[u] = running;
        } else {
            t.area[u] = unit_area(d, b, i);
            t.niches[u] = niches;
        }
    }
}

}  // namespace

void clamp_sample_size_to_design(ParameterSet& p) {
    const int bound = design_bound(design_of(p.Method), p.SampA, p.Sampfac);
    p.maxSa = std::min(p.maxSa, bound);
    if (p.maxSa < 1) p.maxSa = 1;
    p.minSa = std::min(p.minSa, p.maxSa);
}

void prepare_sample_units(WorkArea& wa) {
    SampleTables& t = wa.samples;
    t = SampleTables{};
    const int rows = static_cast<int>(wa.species.size());
    t.units = std::max(wa.params.maxSa, 1);
    const auto units = static_cast<std::size_t>(t.units);
    t.area.assign(units, 0);
    t.niches.assign(units, 0);
    t.x.assign(units, 0);
    t.y.assign(units, 0);
    t.counts.assign(static_cast<std::size_t>(rows) * units, 0);
    t.squared_counts.assign(static_cast<std::size_t>(rows), 0.0);
    refresh_units(wa);
}

void draw_unit_positions(WorkArea& wa) {
    SampleTables& t = wa.samples;
    if (t.units < 1) return;
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    const int f = std::max(wa.params.Sampfac, 1);
    const auto off = static_cast<int>(w.offset);
    if (d == Design::random_dependent) {
        for (std::size_t u = 0; u < static_cast<std::size_t>(t.units); ++u) {
            t.x[u] = off + dependent_start(wa.random.uniform(), w.square, f);
            t.y[u] = off + dependent_start(wa.random.uniform(), w.square, f);
        }
    } else if (d == Design::diagonal) {
        for (int i = 1; i <= t.units; ++i) {
            const int r = off + diagonal_start(i, w.square, f);
            t.x[static_cast<std::size_t>(i - 1)] = r;
            t.y[static_cast<std::size_t>(i - 1)] = r;
        }
    }
    refresh_units(wa);
}

namespace {

// Tally by summed-area tables of the species' counts and squared counts over
// the window: any block in constant time, for every design.
void tally_by_summed_areas(WorkArea& wa, int k, Design d, const Window& w) {
    SampleTables& t = wa.samples;
    const SquareArray<std::int32_t>& grid = wa.cell_counts;
    const std::size_t s = static_cast<std::size_t>(w.side) + 1;
    t.summed.assign(s * s, 0);
    t.summed_squares.assign(s * s, 0.0);
    for (int x = 1; x <= w.side; ++x) {
        const std::int64_t gx = w.offset + x;
        std::int64_t row = 0;
        double row_squares = 0.0;
        for (int y = 1; y <= w.side; ++y) {
            const std::int64_t gy = w.offset + y;
            const std::int64_t c = (gx <= grid.side && gy <= grid.side)
                                       ? grid.at(static_cast<int>(gx), static_cast<int>(gy))
                                       : 0;
            row += c;
            row_squares += static_cast<double>(c) * static_cast<double>(c);
            const std::size_t at = static_cast<std::size_t>(x) * s + static_cast<std::size_t>(y);
            const std::size_t above = static_cast<std::size_t>(x - 1) * s + static_cast<std::size_t>(y);
            t.summed[at] = t.summed[above] + row;
            t.summed_squares[at] = t.summed_squares[above] + row_squares;
        }
    }

    double& squares = t.squared_counts[static_cast<std::size_t>(k)];
    squares = 0.0;
    for (int i = 1; i <= t.units; ++i) {
        const Block b = unit_block(d, wa.params.Sampfac, t, w, i);
        const std::int64_t c = block_sum(t.summed, w.side, b);
        t.count(k, i - 1) = static_cast<std::int32_t>(
            std::min<std::int64_t>(c, std::numeric_limits<std::int32_t>::max()));
        const double q = block_sum(t.summed_squares, w.side, b);
        if (is_nested(d)) {
            if (i == t.units) squares = q;  // the largest unit is the sample
        } else {
            squares += q;                   // the units are pooled
        }
    }
}

// Squared counts are summed in double precision.  While every sum of them
// stays below 2^53 each partial sum is a whole number held exactly, so the
// order of summation cannot change the result; from there on only the
// summed-area tables give the very same roundings.
constexpr std::uint64_t exact_in_double = std::uint64_t{1} << 53;
constexpr std::int64_t largest_exact_square_root = 94906265;  // 94906266^2 > 2^53

// Tally of the nested ("seq", "oct") and independent ("ind") designs from
// the occupied cells alone.  A nested unit is the square 1..s of the window,
// so a cell (x, y) lies in every unit whose side s reaches max(x, y): cells
// are summed by that side and the units read prefix sums.  Independent units
// are disjoint diagonal blocks: a cell lies in the unit of its x when its y
// falls in the same block.  The cells come from the list the placement kept,
// or from a sweep of the window.  False, with nothing written, when the sum
// of squared counts over the window leaves the exact range.
bool tally_by_cells(WorkArea& wa, int k, int sp, Design d, const Window& w) {
    SampleTables& t = wa.samples;
    const SquareArray<std::int32_t>& grid = wa.cell_counts;
    const int square = w.side;
    const bool nested = is_nested(d);

    const UnitSlots unit_slots(d, wa.params.Sampfac, t, w);
    // Per side (nested) or per unit (independent): individuals and squared counts.
    const std::size_t slots = unit_slots.slots();
    std::vector<std::int64_t> sums(slots, 0);
    std::vector<std::uint64_t> square_sums(slots, 0);
    std::uint64_t window_squares = 0;
    bool exact = true;
    auto add = [&](std::int64_t x, std::int64_t y, std::int64_t c) {
        if (c == 0) return;
        if (c > largest_exact_square_root || c < -largest_exact_square_root) {
            exact = false;
            return;
        }
        const auto q = static_cast<std::uint64_t>(c * c);
        window_squares += q;
        if (window_squares >= exact_in_double) exact = false;
        const std::size_t slot = unit_slots.slot(x, y);
        if (slot == 0) return;
        sums[slot] += c;
        square_sums[slot] += q;
    };

    // The list, when it is shorter than the window; the window otherwise.
    const ReachedCells& reached = wa.reached;
    const auto window_cells = static_cast<std::size_t>(square) * static_cast<std::size_t>(square);
    if (reached.species == sp && reached.complete && reached.side == grid.side && grid.side > 0 &&
        reached.count < window_cells / 2) {
        const auto side = static_cast<std::uint32_t>(grid.side);
        const std::int32_t* const count = grid.cells.data();
        for (std::size_t n = 0; n < reached.count && exact; ++n) {
            const std::uint32_t i = reached.cells[n];
            const std::int64_t x = static_cast<std::int64_t>(i / side) + 1 - w.offset;
            const std::int64_t y = static_cast<std::int64_t>(i % side) + 1 - w.offset;
            if (x >= 1 && x <= square && y >= 1 && y <= square) add(x, y, count[i]);
        }
    } else {
        const int last = static_cast<int>(std::min<std::int64_t>(square, grid.side - w.offset));
        for (int x = 1; x <= last && exact; ++x) {
            const std::int32_t* const row = &grid.at(static_cast<int>(w.offset + x), static_cast<int>(w.offset + 1));
            for (int y = 1; y <= last; ++y)
                if (row[y - 1] != 0) add(x, y, row[y - 1]);
        }
    }
    if (!exact) return false;

    double& squares = t.squared_counts[static_cast<std::size_t>(k)];
    auto put = [&](int i, std::int64_t c) {
        t.count(k, i - 1) = static_cast<std::int32_t>(
            std::min<std::int64_t>(c, std::numeric_limits<std::int32_t>::max()));
    };
    unit_slots.settle(sums);
    unit_slots.settle(square_sums);
    for (int i = 1; i <= t.units; ++i) put(i, sums[unit_slots.unit_slot(i)]);
    if (nested) {
        squares = static_cast<double>(square_sums[unit_slots.unit_slot(t.units)]);  // the largest unit is the sample
    } else {
        std::uint64_t pooled = 0;  // the units are pooled
        for (int i = 1; i <= t.units; ++i) pooled += square_sums[static_cast<std::size_t>(i)];
        squares = static_cast<double>(pooled);
    }
    return true;
}

}  // namespace

void sample_species(WorkArea& wa, int sp, TallyMethod method) {
    SampleTables& t = wa.samples;
    const int k = sp - 1;
    if (k < 0 || k >= species_rows(wa) || t.units < 1) return;
    const Design d = design_of(wa.params.Method);
    const Window w = window_of(wa);
    if (w.side < 1) return;

    const bool by_cells = method == TallyMethod::automatic && !is_accumulating(d);
    if (by_cells && tally_by_cells(wa, k, sp, d, w)) return;
    tally_by_summed_areas(wa, k, d, w);
}

void evaluate_samples(WorkArea& wa) {
    SampleTables& t = wa.samples;
    if (t.units < 1) return;
    const Design d = design_of(wa.params.Method);
    const int rows = species_rows(wa);
    const SampleCounts counts = counts_of(wa);
    const std::vector<std::int64_t> cells = unit_cells(wa);

    if (wa.reports.cells.is_open())
        for (const std::string& line : sample_contents_lines(wa)) wa.reports.cells.line(line);

    // The per-species table of the whole sample (all units).
    const std::vector<double> whole = sample_abundances(d, counts, t.units);
    const auto whole_cells = static_cast<double>(cells_sampled(d, cells, t.units));
    std::vector<double> densities;
    for (int k = 0; k < rows; ++k) {
        densities.clear();
        for (int u = 0; u < t.units; ++u)
            if (cells[static_cast<std::size_t>(u)] > 0)
                densities.push_back(counts.at(k, u) /
                                    static_cast<double>(cells[static_cast<std::size_t>(u)]));
        const auto uk = static_cast<std::size_t>(k);
        const SpeciesSample s =
            species_sample(whole[uk], t.squared_counts[uk], whole_cells, densities);
        SpeciesRow& row = wa.species[uk];
        row.sample_column = static_cast<float>(whole[uk]);
        wa.reports.sample.line(species_sample_line(row.number, row.weight, s));
    }

    wa.reports.sample.line(sample_statistics_header());
    std::vector<float> weights(static_cast<std::size_t>(rows));
    int assemblage = 0;
    for (int k = 0; k < rows; ++k) {
        const SpeciesRow& row = wa.species[static_cast<std::size_t>(k)];
        weights[static_cast<std::size_t>(k)] = row.weight;
        if (row.assigned > 0.0f) ++assemblage;
    }

    std::vector<int> order(static_cast<std::size_t>(t.units));
    for (int u = 0; u < t.units; ++u) order[static_cast<std::size_t>(u)] = u;
    const int passes = is_reshuffled(d) ? std::max(wa.params.Permut, 1) : 1;
    for (const int n : sample_size_series(wa.params.minSa, wa.params.StepSa, t.units)) {
        std::vector<double> credited(static_cast<std::size_t>(n), 0.0);
        for (int r = 0; r < passes; ++r) {
            if (is_reshuffled(d)) exchange_units(wa.random, order, n, t.units);
            credit_first_units(counts, n, order, credited);
        }
        for (double& c : credited) c /= passes;

        const CommunityStatistics stats =
            community_statistics(weights, sample_abundances(d, counts, n), wa.params.DivInd);
        wa.reports.sample.line(
            sample_statistics_line(stats, is_nested(d), cells_sampled(d, cells, n), cells[0]));

        const SpeciesAreaRows analysis =
            species_area_rows(d, counts, t.area, t.niches, n, order, credited, assemblage);
        for (const std::string& line : analysis_lines(analysis)) wa.reports.analysis.line(line);
    }

    // Scaling of the habitat along the two diagonals of the grid.
    const int L = wa.habitat.side;
    std::vector<double> first(static_cast<std::size_t>(std::max(L, 0)));
    std::vector<double> second(first.size());
    for (int i = 1; i <= L; ++i) {
        first[static_cast<std::size_t>(i - 1)] = wa.habitat.at(i, i);
        second[static_cast<std::size_t>(i - 1)] = wa.habitat.at(i, L - i + 1);
        if (wa.reports.grid.is_open())
            wa.reports.grid.line(grid_line(i, first[static_cast<std::size_t>(i - 1)],
                                           second[static_cast<std::size_t>(i - 1)]));
    }
    for (const std::string& line : scaling_lines(scale_diagonals(first, second)))
        wa.reports.analysis.line(line);
}

}  // namespace lorvenna
