// One pass of the model, stage by stage in the order the pass runs them.
#include "driver/model_pass.hpp"

#include <string>

#include "community/assemblage_from_rank_order.hpp"
#include "community/community_model.hpp"
#include "core/console.hpp"
#include "core/program_end.hpp"
#include "core/session_limits.hpp"
#include "driver/resource_guard.hpp"
#include "input/rank_order_file.hpp"
#include "landscape/habitat_grid.hpp"
#include "landscape/habitat_scaling.hpp"
#include "landscape/model_start.hpp"
#include "landscape/niches.hpp"
#include "numerics/rounding.hpp"
#include "placement/placement.hpp"
#include "reports/analysis_report.hpp"
#include "reports/cells_report.hpp"
#include "reports/distribution_report.hpp"
#include "reports/grid_report.hpp"
#include "reports/map_report.hpp"
#include "reports/sample_report.hpp"
#include "reports/settings_block.hpp"
#include "reports/tidy_tables.hpp"
#include "sampling/sample_evaluation.hpp"
#include "sampling/sampling_designs.hpp"

namespace lorvenna {
namespace {

// The community from the generator or from the rank-order block, and what the
// reports say of it: the weight-class line, in a model-only run the species
// table, and the reason when no community could be built.
bool build_the_community(WorkArea& wa) {
    const bool model_only = !wa.answers.sampling();
    const CommunityOutcome community =
        wa.answers.from_file() ? build_community_from_rank_order(wa) : build_community(wa);
    ReportFile& distribution = wa.reports.distribution;
    if (community.weight_classes >= 0) write_weight_class_line(distribution, wa.class_freq, community.weight_classes);
    if (!community.fatal.empty()) end_program(exit_error, community.fatal);
    if (model_only && community.table_started) write_species_table_header(distribution);
    if (!community.error.empty()) {
        warn_fixed(wa.io, community.error);
        wa.pass.status = community.error.substr(community.error.find_first_not_of(' '));
    }
    if (!community.built) return false;
    if (model_only) {
        const bool relative = !(wa.params.maxD > 0.0f);
        if (relative) express_relative_abundances(wa.species, wa.totals.individuals);
        write_species_table_rows(distribution, wa.species, relative);
    }
    return true;
}

void warn_of_shortfall(WorkArea& wa, int sp, const PlacementOutcome& placed) {
    if (placed.shortfall == Shortfall::none) return;
    ++wa.pass.species_given_up;
    const SpeciesRow& row = wa.species[static_cast<std::size_t>(sp - 1)];
    const char* cause = placed.shortfall == Shortfall::range_off_grid ? "its range does not reach the grid"
                        : placed.shortfall == Shortfall::rarely_reached
                            ? "its range centre lies where its placing steps almost never reach the grid"
                            : "no cell within its reach has room left";
    warn(wa.io, "Warning: species " + std::to_string(trunc_to<std::int64_t>(static_cast<double>(row.number))) +
                   " placed " + std::to_string(placed.placed) + " of " + std::to_string(placed.target) +
                   " individuals: " + cause);
}

void record_scaling(PassRecord& r, const ScalingAnalysis& s) {
    r.scaling_classes = s.classes;
    r.scaling_points = s.points;
    r.variance_fit = s.variance_fit.made;
    r.variance_intercept = s.variance_intercept;
    r.variance_slope = s.variance_fit.slope;
    r.variance_dimension = s.variance_dimension;
    r.length_fit = s.length_fit.made;
    r.length_intercept = s.length_intercept;
    r.length_slope = s.length_fit.slope;
    r.length_dimension = s.length_dimension;
}

// Places the species one after the other; each species is sampled as soon as it is placed.
void place_and_sample_species(WorkArea& wa) {
    StageTimes& t = wa.times;
    ReachedCells reached;
    TallyWorkspace workspace;
    const int species = static_cast<int>(wa.species.size());
    for (int sp = 1; sp <= species; ++sp) {
        stop_if_requested(wa.io, wa.random);
        if (!wa.answers.batch_run()) tell(wa.io, "Species number: " + std::to_string(sp));
        PlacementOutcome placed;
        timed(t.placement, [&] { placed = place_species(wa, sp, reached); });
        warn_of_shortfall(wa, sp, placed);
        if (sp == 1) {
            timed(t.placement, [&] { draw_sampled_square(wa); });
            timed(t.sampling, [&] { draw_unit_positions(wa); });
        }
        timed(t.output, [&] {
            write_species_map(wa.reports.map, wa, sp);
            if (wa.reports.habitat_grids && wa.answers.map_species > 0.0f &&
                wa.species[static_cast<std::size_t>(sp - 1)].number == wa.answers.map_species)
                write_species_grid_file(wa.io, wa.pass.run, wa.cell_counts);
        });
        timed(t.sampling, [&] { sample_species(wa, sp, reached, workspace); });
        if (wa.io.progress != nullptr) wa.io.progress->species_placed(wa.pass.run, sp, species);
    }
}

// Once every species is placed: the contents of the units, each species in the
// whole sample, every sample size with its statistics and species-area rows,
// and the scaling of the habitat along the grid diagonals.
void evaluate_samples(WorkArea& wa) {
    if (wa.samples.units < 1) return;
    ReportFiles& reports = wa.reports;
    write_sample_contents(reports.cells, wa);
    write_species_sample_table(reports.sample, wa.species, species_sample_table(wa));
    write_sample_statistics_header(reports.sample);
    SampleSeries series(wa, reports.tidy());
    SampleSizePass pass;
    while (series.next(wa, pass)) {
        write_sample_statistics_row(reports.sample, pass);
        write_sample_size_rows(reports.analysis, pass.rows);
        write_sample_row(reports.samples, wa, pass, series);
        write_curve_rows(reports.curve, wa, pass, series);
    }
    write_unit_rows(reports.units, wa, series);
    wa.pass.square_side = series.window().square;
    const DiagonalProfiles diagonals = diagonal_profiles(wa.habitat);
    write_grid_rows(reports.grid, diagonals);
    const ScalingAnalysis scaling = scale_diagonals(diagonals.first, diagonals.second);
    write_scaling_rows(reports.analysis, scaling);
    record_scaling(wa.pass, scaling);
}

void place_and_sample(WorkArea& wa) {
    StageTimes& t = wa.times;
    wa.pass.sampled = true;
    timed(t.output, [&] { write_placement_header(wa.reports.distribution); });
    timed(t.grid, [&] { fill_niche_table(wa.niche_table, wa.derived); });
    timed(t.placement, [&] {
        shuffle_species(wa.species, wa.random);
        prepare_placement(wa);
    });
    timed(t.grid, [&] { build_habitat_grid(wa.habitat, wa.params, wa.derived, wa.random); });
    timed(t.sampling, [&] { prepare_sample_units(wa); });
    place_and_sample_species(wa);
    timed(t.evaluation, [&] { evaluate_samples(wa); });
    timed(t.output, [&] { write_placement_rows(wa.reports.distribution, wa.species); });
}

// The record of the pass about to start, for the tidy tables.
void start_pass_record(WorkArea& wa) {
    PassRecord& r = wa.pass;
    r = PassRecord{};
    r.run = wa.iteration > 0 ? wa.iteration : 1;
    r.row = wa.answers.batch_run() ? wa.rows_read + 1 : 0;
    r.replicate = wa.replicate;
    r.seed = wa.random.seed();
    r.times = wa.times;
    if (wa.io.progress != nullptr) wa.io.progress->pass_started(r.run, wa.rows_read, r.replicate);
}

// The tidy rows that close a pass: its species, the pass itself, its times
// and, when asked for, its habitat grid.  Once they are written the pass
// counts as finished for whoever shows progress.
void finish_pass_record(WorkArea& wa) {
    ReportFiles& reports = wa.reports;
    if (reports.tidy()) {
        timed(wa.times.output, [&] {
            write_species_rows(reports.species, wa);
            write_run_row(reports.runs, wa);
            if (reports.habitat_grids && wa.pass.sampled) write_habitat_grid_file(wa.io, wa.pass.run, wa.habitat);
        });
        wa.pass.times = wa.times - wa.pass.times;
        write_timings_row(reports.timings, wa.pass);
    }
    if (wa.io.progress != nullptr) wa.io.progress->pass_finished(wa.pass.run, wa.rows_read, wa.pass.replicate);
}

}  // namespace

bool run_model_pass(WorkArea& wa) {
    StageTimes& t = wa.times;
    start_pass_record(wa);
    check_pass_resources(wa);
    timed(t.output, [&] { write_settings_block(wa.reports, wa); });
    wa.derived.community_built = false;
    bool built = false;
    timed(t.model, [&] {
        start_model(wa.params, wa.derived, wa.random, wa.heterogeneity_given);
        built = build_the_community(wa);
    });
    if (!built) {
        finish_pass_record(wa);
        return false;
    }
    check_individuals_to_place(wa);
    if (wa.answers.sampling()) place_and_sample(wa);
    timed(t.statistics, [&] { write_community_statistics(wa.reports.distribution, statistics_of_community(wa)); });
    finish_pass_record(wa);
    return true;
}

}  // namespace lorvenna
