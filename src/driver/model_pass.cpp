#include "driver/model_pass.hpp"
#include "driver/session_limits.hpp"

#include <string>

#include "batch/settings_block.hpp"
#include "community/assemblage_from_rank_order.hpp"
#include "community/community_model.hpp"
#include "driver/program_end.hpp"
#include "driver/resource_guard.hpp"
#include "input/rank_order_file.hpp"
#include "landscape/habitat_grid.hpp"
#include "landscape/model_start.hpp"
#include "landscape/niches.hpp"
#include "placement/placement.hpp"
#include "sampling/sampling_designs.hpp"
#include "statistics/community_statistics.hpp"

namespace lorvenna {

namespace {

void build_assemblage(WorkArea& wa) {
    if (wa.answers.from_file())
        build_community_from_rank_order(wa);
    else
        build_community(wa);
}

// Places the species one after the other; each species is sampled as soon as it is placed.
void place_and_sample_species(WorkArea& wa) {
    StageTimes& t = wa.times;
    const int species = static_cast<int>(wa.species.size());
    for (int sp = 1; sp <= species; ++sp) {
        stop_if_requested(wa);
        timed(t.placement, [&] { place_species(wa, sp); });
        if (sp == 1) {
            timed(t.placement, [&] { draw_sampled_square(wa); });
            timed(t.sampling, [&] { draw_unit_positions(wa); });
        }
        timed(t.output, [&] { write_species_map(wa, sp); });
        timed(t.sampling, [&] { sample_species(wa, sp); });
    }
}

void place_and_sample(WorkArea& wa) {
    StageTimes& t = wa.times;
    timed(t.output, [&] { write_placement_header(wa); });
    timed(t.grid, [&] { fill_niche_table(wa); });
    timed(t.placement, [&] {
        shuffle_species(wa);
        prepare_placement(wa);
    });
    timed(t.grid, [&] { build_habitat_grid(wa); });
    timed(t.sampling, [&] { prepare_sample_units(wa); });
    place_and_sample_species(wa);
    timed(t.evaluation, [&] { evaluate_samples(wa); });
    timed(t.output, [&] { write_placement_rows(wa); });
}

}  // namespace

bool run_model_pass(WorkArea& wa) {
    StageTimes& t = wa.times;
    if (wa.answers.from_file()) read_rank_order_block(wa);
    check_pass_resources(wa);
    timed(t.output, [&] { write_settings_block(wa); });
    wa.derived.community_built = false;
    timed(t.model, [&] {
        start_model(wa);
        build_assemblage(wa);
    });
    if (!wa.derived.community_built) return false;
    check_individuals_to_place(wa);
    if (wa.answers.sampling()) place_and_sample(wa);
    timed(t.statistics, [&] { write_community_statistics(wa); });
    return true;
}

}  // namespace lorvenna
