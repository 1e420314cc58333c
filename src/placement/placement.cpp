#include "placement/placement.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "core/program_end.hpp"
#include "core/session_limits.hpp"
#include "landscape/grid_arrays.hpp"
#include "landscape/habitat_grid.hpp"
#include "landscape/niches.hpp"
#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"
#include "placement/placing_loop.hpp"
#include "placement/reached_cells.hpp"
#include "placement/saturation.hpp"

namespace lorvenna {

using namespace detail;

namespace {

// Range centre of the species at position sp.  With a gradient the centres
// lie along the diagonal from (1, 1) to (N, N), scattered by HabGrad and
// redrawn while beyond N; false when the redraws found no centre.
bool draw_range_centre(PlacementState& s, int sp, std::int64_t most_draws) {
    const ParameterSet& p = s.params;
    const int side = s.derived.grid_side > 0 ? s.derived.grid_side : 0;
    if (!(p.HabGrad > 0.0f)) {
        s.centre.x = static_cast<float>(s.random.uniform() * side + 1.0);
        s.centre.y = static_cast<float>(s.random.uniform() * side + 1.0);
        return true;
    }
    const float along = static_cast<float>(side) * 0.5f * static_cast<float>(2 * sp - 1) /
                        static_cast<float>(s.derived.species > 0 ? s.derived.species : 1);
    const std::int64_t check_interval = steps_between_checks(s.io);
    for (float* coordinate : {&s.centre.x, &s.centre.y}) {
        std::int64_t draws = 0;
        do {
            if (++draws > most_draws) return false;
            if (draws % check_interval == 0) stop_if_requested(s.io, s.random);
            *coordinate = static_cast<float>(s.random.normal() * static_cast<double>(p.HabGrad) +
                                             static_cast<double>(along));
        } while (*coordinate > static_cast<float>(side));
    }
    return true;
}

}  // namespace

void shuffle_species(std::vector<SpeciesRow>& species, RandomStream& random) {
    const auto count = static_cast<std::int64_t>(species.size());
    for (std::int64_t i = 1; i <= count; ++i) {
        const std::int64_t k = trunc_to<std::int64_t>(random.uniform() * static_cast<double>(count)) + 1;
        SpeciesRow& a = species[static_cast<std::size_t>(i - 1)];
        SpeciesRow& b = species[static_cast<std::size_t>(k - 1)];
        // The sample column belongs to the table position, not to the species.
        std::swap(a, b);
        std::swap(a.sample_column, b.sample_column);
    }
}

void prepare_placement(Grids& grids, int side) {
    side = side > 0 ? side : 0;
    allocate_grid(grids.habitat, side, 0.0f, "habitat grid");
    allocate_grid(grids.cell_counts, side, std::int32_t{0}, "cell counts");
    grids.square = SampledSquare{};
}

PlacementOutcome place_species(PlacementState& s, std::vector<SpeciesRow>& species, int sp, ReachedCells& reached) {
    PlacementOutcome outcome;
    if (sp < 1 || sp > static_cast<int>(species.size())) return outcome;
    const ParameterSet& p = s.params;
    DerivedValues& d = s.derived;
    const int side = d.grid_side > 0 ? d.grid_side : 0;
    if (s.grids.habitat.side != side || s.grids.cell_counts.side != side) {
        prepare_placement(s.grids, side);
        s.habitat_extent.reset();
    }
    const bool limited = d.niche_level > 0.0f;
    // Without a limit the niche table is never read (and holds no arrays).
    if (limited && s.grids.niche_table.niches.side != side) fill_niche_table(s.grids.niche_table, d);
    NicheTable& niches = s.grids.niche_table;
    SquareArray<float>& grid = s.grids.habitat;
    SquareArray<std::int32_t>& counts = s.grids.cell_counts;

    SpeciesRow& row = species[static_cast<std::size_t>(sp - 1)];

    // Densities relative to the rarest species: it keeps one individual.
    if (p.maxD <= 0.0f && d.smallest_abundance > 0.0f)
        row.abundance = static_cast<float>(trunc_to<std::int64_t>(row.abundance / d.smallest_abundance));

    reset_reached(reached, counts, niches, limited);

    if (p.GridHet == Heterogeneity::random) {
        build_habitat_grid(grid, p, d, s.random);
        s.habitat_extent.reset();
    }
    if (p.RndHet == Heterogeneity::random) {
        const auto drawn = static_cast<float>(s.random.normal());
        d.heterogeneity = s.given_heterogeneity ? *s.given_heterogeneity : drawn;
    }
    const float c = d.heterogeneity;

    bool gave_up = false;
    const bool ranged = p.Range > 0.0f;
    const auto n = static_cast<double>(side);
    if (ranged) gave_up = !draw_range_centre(s, sp, give_up_after);
    const float cx = s.centre.x, cy = s.centre.y;
    if (ranged) {
        row.centre_x = cx;
        row.centre_y = cy;
    }
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

    PlacingRun run{s.io, s.random, row, niches, xs, ys};
    run.habitat = grid.cells.data();
    run.count = counts.cells.data();
    if (limited) {
        run.counted = niches.counted.cells.data();
        run.species_count = niches.species_count.cells.data();
        run.niche = niches.niches.cells.data();
    }
    run.check_interval = steps_between_checks(s.io);
    run.side = side;
    run.range = static_cast<double>(p.Range);
    run.cx = cx;
    run.cy = cy;
    run.c = c;
    run.orig = orig;
    run.k1 = std::clamp(nearest<std::int64_t>(static_cast<double>(c * aggregation + aggregation)), std::int64_t{1},
                        largest_clump);
    run.gave_up = gave_up;

    reached.species = sp;
    run.list = reached.cells.get();
    run.list_capacity = reached.capacity;
    run.list_complete = run.list_capacity > 0;

    // The loop runs only while fewer than OrigInd individuals are placed,
    // which needs a positive OrigInd (NaN never runs it).
    if (!gave_up && orig > 0.0f) {
        run.threshold = float_threshold(orig);
        if (!ranged && !limited) {
            if (!s.habitat_extent) s.habitat_extent = habitat_extent(grid);
            run.terms = habitat_terms(*s.habitat_extent, c);
        }
        run_placing_loop(run, ranged, limited);
    }
    reached.count = run.listed;
    reached.complete = run.list_complete;

    outcome.placed = run.placed;
    outcome.target = trunc_to<std::int64_t>(static_cast<double>(orig));
    if (run.done) {
        row.assigned = orig;
        return outcome;
    }
    row.assigned = static_cast<float>(run.placed);
    if (run.gave_up)
        outcome.shortfall = off_grid            ? Shortfall::range_off_grid
                            : run.rarely_reached ? Shortfall::rarely_reached
                                                 : Shortfall::cells_full;
    return outcome;
}

void draw_sampled_square(SampledSquare& square, int grid_side, int square_side, RandomStream& random) {
    if (square.drawn) return;
    const std::int64_t spare = static_cast<std::int64_t>(grid_side) - square_side;
    const std::int64_t off = trunc_to<std::int64_t>(random.uniform() * static_cast<double>(spare));
    square.offset = off > 0 ? off : 0;
    square.drawn = true;
}

}  // namespace lorvenna
