// One pass of the model, stage by stage in the order the pass runs them.
#include "pass/model_pass.hpp"

#include <string>

#include "community/assemblage_from_rank_order.hpp"
#include "community/community_model.hpp"
#include "core/console.hpp"
#include "core/program_end.hpp"
#include "core/session_limits.hpp"
#include "landscape/habitat_grid.hpp"
#include "landscape/habitat_scaling.hpp"
#include "landscape/model_start.hpp"
#include "landscape/niches.hpp"
#include "numerics/rounding.hpp"
#include "numerics/run_seeds.hpp"
#include "pass/resource_guard.hpp"
#include "placement/placement.hpp"
#include "reports/analysis_report.hpp"
#include "reports/cells_report.hpp"
#include "reports/distribution_report.hpp"
#include "reports/grid_report.hpp"
#include "reports/map_report.hpp"
#include "reports/rarefaction_table.hpp"
#include "reports/sample_report.hpp"
#include "reports/settings_block.hpp"
#include "reports/tidy_tables.hpp"
#include "sampling/sample_curve.hpp"
#include "sampling/sample_evaluation.hpp"
#include "sampling/sampling_designs.hpp"

namespace lorvenna {
namespace {

// The community from the generator or from the rank-order block, and what the
// reports say of it: the weight-class line, in a model-only run the species
// table, and the reason when no community could be built.
bool build_the_community(Pass& pass, const PassOutlet& out) {
    const bool model_only = !out.answers.sampling();
    Community& community = pass.community;
    const CommunityOutcome outcome =
        out.answers.from_file()
            ? build_community_from_rank_order(pass.params, pass.derived, pass.rank_order, community)
            : build_community(pass.params, pass.derived, model_only, pass.random, community);
    ReportFile& distribution = out.reports.distribution;
    if (outcome.weight_classes >= 0) write_weight_class_line(distribution, community.class_freq, outcome.weight_classes);
    if (!outcome.fatal.empty()) end_program(exit_error, outcome.fatal);
    if (model_only && outcome.table_started) write_species_table_header(distribution);
    if (!outcome.error.empty()) {
        warn_fixed(out.io, outcome.error);
        pass.record.status = outcome.error.substr(outcome.error.find_first_not_of(' '));
    }
    if (!outcome.built) return false;
    if (model_only) {
        const bool relative = !(pass.params.maxD > 0.0f);
        if (relative) express_relative_abundances(community.species, community.totals.individuals);
        write_species_table_rows(distribution, community.species, relative);
    }
    return true;
}

void warn_of_shortfall(Pass& pass, const PassOutlet& out, int sp, const PlacementOutcome& placed) {
    if (placed.shortfall == Shortfall::none) return;
    ++pass.record.species_given_up;
    const SpeciesRow& row = pass.community.species[static_cast<std::size_t>(sp - 1)];
    const char* cause = placed.shortfall == Shortfall::range_off_grid ? "its range does not reach the grid"
                        : placed.shortfall == Shortfall::rarely_reached
                            ? "its range centre lies where its placing steps almost never reach the grid"
                            : "no cell within its reach has room left";
    warn(out.io, "Warning: species " + std::to_string(trunc_to<std::int64_t>(static_cast<double>(row.number))) +
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
void place_and_sample_species(Pass& pass, const PassOutlet& out) {
    StageTimes& t = pass.record.times;
    ReachedCells reached;
    TallyWorkspace workspace;
    PlacementState placement{out.io,      pass.params, pass.derived, pass.given_heterogeneity,
                             pass.random, pass.grids,  pass.centre};
    std::vector<SpeciesRow>& species = pass.community.species;
    const int count = static_cast<int>(species.size());
    const int run = pass.record.run;
    SamplingFrame frame;
    for (int sp = 1; sp <= count; ++sp) {
        stop_if_requested(out.io, pass.random);
        if (!out.answers.batch_run()) tell(out.io, "Species number: " + std::to_string(sp));
        PlacementOutcome placed;
        timed(t.placement, [&] { placed = place_species(placement, species, sp, reached); });
        warn_of_shortfall(pass, out, sp, placed);
        if (sp == 1) {
            timed(t.placement, [&] {
                draw_sampled_square(pass.grids.square, pass.derived.grid_side, pass.params.SampA, pass.random);
            });
            frame = sampling_frame(pass.params, pass.derived, pass.grids);
            timed(t.sampling, [&] { draw_unit_positions(pass.samples, frame, pass.random); });
        }
        timed(t.output, [&] {
            write_species_map(out.reports.map, pass, out.answers.map_species, sp);
            if (out.reports.habitat_grids && out.answers.map_species > 0.0f &&
                species[static_cast<std::size_t>(sp - 1)].number == out.answers.map_species)
                write_species_grid_file(out.io, run, pass.grids.cell_counts);
        });
        timed(t.sampling, [&] {
            sample_species(pass.samples, frame, pass.grids.cell_counts, sp, reached, workspace);
        });
        if (out.io.progress != nullptr) out.io.progress->species_placed(run, sp, count);
    }
}

// The rarefaction curves of the largest sample and their truth, when asked
// for.  The bootstrap draws from the pass's seed word through a mix of its
// own, never from the pass's stream.
void write_sample_curve(const Pass& pass, ReportFiles& reports, const SamplingFrame& frame) {
    if (!reports.rarefaction.is_open()) return;
    const SampleCurve curve = sample_curve(frame, pass.samples, pass.community.species.size(), reports.curve_settings,
                                           curve_seed(pass.record.seed));
    write_rarefaction_rows(reports.rarefaction, std::to_string(pass.record.run), curve.estimated, &curve.truth);
}

// Once every species is placed: the contents of the units, each species in the
// whole sample, every sample size with its statistics and species-area rows,
// and the scaling of the habitat along the grid diagonals.
void evaluate_samples(Pass& pass, const PassOutlet& out) {
    if (pass.samples.units < 1) return;
    ReportFiles& reports = out.reports;
    const SamplingFrame frame = sampling_frame(pass.params, pass.derived, pass.grids);
    write_sample_contents(reports.cells, pass);
    write_species_sample_table(reports.sample, pass.community.species,
                               species_sample_table(pass.samples, frame, pass.community.species));
    write_sample_statistics_header(reports.sample);
    SampleSeries series(frame, pass.samples, pass.community.species,
                        SeriesOutputs{reports.tidy(), reports.estimates.is_open(), pass.record.seed});
    SampleSizePass size;
    while (series.next(pass.samples, pass.random, size)) {
        write_sample_statistics_row(reports.sample, size);
        write_sample_size_rows(reports.analysis, size.rows);
        write_sample_row(reports.samples, pass, size, series);
        write_curve_rows(reports.curve, pass, size, series);
        write_estimate_rows(reports.estimates, pass, size);
    }
    write_unit_rows(reports.units, pass, series);
    write_occurrence_rows(reports.occurrences, pass);
    write_sample_curve(pass, reports, frame);
    pass.record.square_side = series.window().square;
    const DiagonalProfiles diagonals = diagonal_profiles(pass.grids.habitat);
    write_grid_rows(reports.grid, diagonals);
    const ScalingAnalysis scaling = scale_diagonals(diagonals.first, diagonals.second);
    write_scaling_rows(reports.analysis, scaling);
    record_scaling(pass.record, scaling);
}

void place_and_sample(Pass& pass, const PassOutlet& out) {
    StageTimes& t = pass.record.times;
    pass.record.sampled = true;
    timed(t.output, [&] { write_placement_header(out.reports.distribution); });
    timed(t.grid, [&] { fill_niche_table(pass.grids.niche_table, pass.derived); });
    timed(t.placement, [&] {
        shuffle_species(pass.community.species, pass.random);
        prepare_placement(pass.grids, pass.derived.grid_side);
    });
    timed(t.grid, [&] { build_habitat_grid(pass.grids.habitat, pass.params, pass.derived, pass.random); });
    timed(t.sampling, [&] {
        prepare_sample_units(pass.samples, sampling_frame(pass.params, pass.derived, pass.grids),
                             static_cast<int>(pass.community.species.size()));
    });
    place_and_sample_species(pass, out);
    timed(t.evaluation, [&] { evaluate_samples(pass, out); });
    timed(t.output, [&] { write_placement_rows(out.reports.distribution, pass.community.species); });
}

// The record of the pass about to start, for the tidy tables.
void start_pass_record(Pass& pass, const PassOutlet& out, const PassIdentity& id) {
    PassRecord& r = pass.record;
    r = PassRecord{};
    r.run = id.run;
    r.row = id.line;
    r.replicate = id.replicate;
    r.seed = pass.random.seed();
    if (out.io.progress != nullptr) out.io.progress->pass_started(r.run, id.line > 0 ? id.line - 1 : 0, r.replicate);
}

// The tidy rows that close a pass: its species, the pass itself, its times
// and, when asked for, its habitat grid.  Once they are written the pass
// counts as finished for whoever shows progress.
void finish_pass_record(Pass& pass, const PassOutlet& out) {
    ReportFiles& reports = out.reports;
    PassRecord& r = pass.record;
    if (reports.tidy()) {
        timed(r.times.output, [&] {
            write_species_rows(reports.species, pass);
            write_run_row(reports.runs, pass);
            if (reports.habitat_grids && r.sampled) write_habitat_grid_file(out.io, r.run, pass.grids.habitat);
        });
        write_timings_row(reports.timings, r);
    }
    if (out.io.progress != nullptr) out.io.progress->pass_finished(r.run, r.row > 0 ? r.row - 1 : 0, r.replicate);
}

}  // namespace

bool run_model_pass(Pass& pass, const PassOutlet& out, const PassIdentity& id) {
    const bool sampling = out.answers.sampling();
    start_pass_record(pass, out, id);
    StageTimes& t = pass.record.times;
    check_pass_resources(out.io, pass.params, pass.derived, sampling);
    timed(t.output, [&] { write_settings_block(out.reports, pass, sampling, id.run > 1); });
    pass.derived.community_built = false;
    bool built = false;
    timed(t.model, [&] {
        start_model(pass.params, pass.derived, pass.random, pass.given_heterogeneity);
        built = build_the_community(pass, out);
    });
    if (!built) {
        finish_pass_record(pass, out);
        return false;
    }
    if (sampling) {
        check_individuals_to_place(out.io, pass.params, pass.derived, pass.community.species);
        place_and_sample(pass, out);
    }
    timed(t.statistics, [&] {
        write_community_statistics(out.reports.distribution,
                                   statistics_of_community(pass.community.species, sampling, pass.params.DivInd.kind()));
    });
    finish_pass_record(pass, out);
    return true;
}

}  // namespace lorvenna
