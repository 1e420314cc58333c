#include "batch/rows_not_run.hpp"

#include "community/assemblage_from_rank_order.hpp"
#include "community/community_weights.hpp"
#include "input/rank_order_file.hpp"
#include "landscape/model_start.hpp"

namespace lorvenna {

void derive_carried_values(Session& session) {
    const ParameterSet& p = session.pass.params;
    DerivedValues& d = session.pass.derived;
    if (session.answers.from_file()) {
        d.species = session.pass.rank_order.rows;
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

std::optional<std::string> settle_without_pass(Session& session, bool verify) {
    Pass& pass = session.pass;
    const ParameterSet& p = pass.params;
    DerivedValues& d = pass.derived;
    std::string failure;
    if (session.answers.from_file()) {
        if (!read_rank_order_block(session.rank_order, pass.rank_order)) return std::nullopt;
        d.species = pass.rank_order.rows;
        const CommunityOutcome community = build_community_from_rank_order(p, d, pass.rank_order, pass.community);
        failure = !community.fatal.empty() ? community.fatal : community.error;
        pass.community.species.clear();
        if (session.answers.batch_run()) reposition_rank_order_file(session.rank_order, pass.rank_order);
    } else {
        const WeightClasses classes = fit_weight_classes(p, d.species);
        d.classes = classes.classes;
        d.swd_mean = classes.mean;
        d.swd_sd = classes.sd;
        if (verify && !class_frequencies(p.SWD.kind(), classes, d.species, pass.community.class_freq))
            failure = " Error while assigning the weight-classes";
    }
    d.fractal_coefficient = fractal_coefficient(p);
    d.niche_level = niche_level(p);
    return verify ? failure : std::string();
}

}  // namespace lorvenna
