#include "batch/rows_not_run.hpp"

#include "community/assemblage_from_rank_order.hpp"
#include "community/community_weights.hpp"
#include "input/rank_order_file.hpp"
#include "landscape/model_start.hpp"

namespace lorvenna {

void derive_carried_values(WorkArea& wa) {
    const ParameterSet& p = wa.params;
    DerivedValues& d = wa.derived;
    if (wa.answers.from_file()) {
        d.species = wa.rank_order.rows;
        d.classes = p.Class;
        d.swd_mean = p.SWDmy;
        d.swd_sd = p.SWDvar;
    } else {
        const WeightClasses classes = fit_weight_classes(p, d.species);
        d.classes = classes.classes;
        d.swd_mean = classes.mean;
        d.swd_sd = classes.sd;
    }
    d.fractal_coefficient = fractal_coefficient(p);
    d.niche_level = niche_level(p);
}

std::string settle_without_pass(WorkArea& wa, bool verify) {
    const ParameterSet& p = wa.params;
    DerivedValues& d = wa.derived;
    std::string failure;
    if (wa.answers.from_file()) {
        read_rank_order_block(wa);
        const CommunityOutcome community = build_community_from_rank_order(wa);
        failure = !community.fatal.empty() ? community.fatal : community.error;
        wa.species.clear();
        if (wa.answers.batch_run()) reposition_rank_order_file(wa);
    } else {
        const WeightClasses classes = fit_weight_classes(p, d.species);
        d.classes = classes.classes;
        d.swd_mean = classes.mean;
        d.swd_sd = classes.sd;
        if (verify && !class_frequencies(p.SWD.kind(), classes, d.species, wa.class_freq))
            failure = " Error while assigning the weight-classes";
    }
    d.fractal_coefficient = fractal_coefficient(p);
    d.niche_level = niche_level(p);
    return verify ? failure : std::string();
}

}  // namespace lorvenna
