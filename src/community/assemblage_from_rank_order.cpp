#include "community/assemblage_from_rank_order.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/program_end.hpp"
#include "core/text_records.hpp"

namespace lorvenna {
namespace {

// Most individuals one species may have: cell and sample counts are 32-bit.
constexpr double countable_individuals = static_cast<double>(count_limit);
// Heaviest default weight: the top of the 50th doubling class.
const double heaviest_default_weight = std::ldexp(1.0, max_weight_classes);

// Body weight of a species whose weight the file does not give, from the
// energetic-equivalence rule (density falls with weight to the power -3/4):
// the reference species (the first entered, normally the commonest) weighs 1,
// a species with a fraction q of its abundance weighs q^(-4/3).
double default_weight(double abundance, double reference) {
    const double w = std::pow(reference / abundance, 4.0 / 3.0);
    if (!(w >= 1.0)) return 1.0;  // also a commoner species further down an unsorted block
    return std::min(w, heaviest_default_weight);
}

// Doubling class of a weight: class 1 holds weights up to 2, class k those above 2^(k-1) up to 2^k.
int weight_class(double w) {
    int k = 1;
    while (k < max_weight_classes && w > std::ldexp(1.0, k)) ++k;
    return k;
}

std::string file_label(const RankOrderBlock& r) { return "the distribution file " + printable(r.file_name); }

std::string number_text(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

}  // namespace

CommunityOutcome build_community_from_rank_order(const ParameterSet& p, DerivedValues& d, const RankOrderBlock& r,
                                                 Community& community) {
    d.community_built = false;
    community.class_freq.fill(0.0f);
    community.totals = CommunityTotals{};
    d.species = r.rows;
    // The weight classes follow the file, not the parameters: those stand as given.
    d.classes = p.Class;
    d.swd_mean = p.SWDmy;
    d.swd_sd = p.SWDvar;
    CommunityOutcome outcome;

    // With a maximum density the run counts whole individuals; without one the
    // abundances are relative and the placement scales them by the rarest species.
    const bool individuals = p.maxD > 0.0f;
    const bool file_weights = r.body_weights;

    community.species.assign(static_cast<std::size_t>(std::max(r.rows, 0)), SpeciesRow{});
    std::size_t entered = 0;
    double reference = 0.0, smallest = 0.0, largest = 0.0;
    for (int i = 0; i < r.rows; ++i) {
        const double read = r.abundance[static_cast<std::size_t>(i)];
        const double abundance = individuals ? std::round(read) : read;
        if (!(abundance > 0.0) || abundance < d.min_abundance) continue;
        if (abundance > countable_individuals)
            end_program(exit_error, " Error while reading the abundance of rank " + std::to_string(i + 1) + " in " +
                                        file_label(r) + " (more individuals than can be counted): " +
                                        number_text(read));
        if (entered == 0) reference = abundance;
        const double given = r.weight[static_cast<std::size_t>(i)];
        const double weight = file_weights && given > 0.0 ? given : default_weight(abundance, reference);
        SpeciesRow& row = community.species[entered];
        row.weight = static_cast<float>(weight);
        row.abundance = static_cast<float>(abundance);
        row.undisturbed = static_cast<float>(read);
        smallest = entered == 0 ? abundance : std::min(smallest, abundance);
        largest = entered == 0 ? abundance : std::max(largest, abundance);
        community.class_freq[static_cast<std::size_t>(weight_class(weight))] += 1.0f;
        community.totals.individuals += abundance;
        community.totals.biomass += static_cast<float>(weight * abundance);
        ++entered;
    }
    for (std::size_t s = 0; s < community.species.size(); ++s) community.species[s].number = static_cast<float>(s + 1);

    int top_class = 1;
    for (int k = 1; k <= max_weight_classes; ++k)
        if (community.class_freq[static_cast<std::size_t>(k)] > 0.0f) top_class = k;
    outcome.weight_classes = top_class;

    if (entered == 0) {
        outcome.error = r.rows == 0 ? " Error while building the community: the block of " + file_label(r) +
                                          " holds no species"
                                    : " Error while building the community: no abundance of the block reaches the "
                                      "minimum abundance of " +
                                          number_text(d.min_abundance);
        community.species.clear();
        return outcome;
    }
    if (!individuals && largest / smallest > countable_individuals) {
        outcome.fatal = " Error while reading " + file_label(r) +
                        ": the commonest species would have more individuals than can be counted: " +
                        number_text(largest / smallest);
        return outcome;
    }
    d.smallest_abundance = static_cast<float>(smallest);
    d.max_abundance = static_cast<float>(largest);
    d.community_built = true;
    outcome.built = true;
    return outcome;
}

}  // namespace lorvenna
