#include "community/community_model.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "community/community_weights.hpp"
#include "numerics/constants.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {

WeightClasses fit_weight_classes(const ParameterSet& p, int species_count) {
    WeightClasses w{p.Class, p.SWDmy, p.SWDvar};
    const float species = static_cast<float>(species_count);
    if (w.classes > species_count) {
        w.mean = std::clamp(w.mean * species / static_cast<float>(w.classes), 1.0f, 50.0f);
        w.sd = std::sqrt(w.mean);
        w.classes = std::min(max_weight_classes, species_count);
    }
    if (w.classes == 0) {
        w.mean = std::clamp(species / 2.0f, 1.0f, 50.0f);
        w.sd = std::sqrt(w.mean);
        w.classes = std::min(max_weight_classes, species_count);
    }
    return w;
}

bool class_frequencies(WeightForm swd, const WeightClasses& w, int species_count,
                       WeightClassList& freq) {
    freq.fill(0.0f);
    const int classes = std::clamp(w.classes, 0, max_weight_classes);
    const bool logn = swd == WeightForm::logn;
    const float root_two_pi = std::sqrt(two_pi_single);
    // Position of class i on the axis of the species-weight distribution.
    auto position = [logn](int i) {
        return logn ? std::log(static_cast<float>(i)) : static_cast<float>(i);
    };
    float sum = 0.0f;
    for (int i = 1; i <= classes; ++i) {
        const float d = position(i) - w.mean;
        const float two_var = 2.0f * w.sd * w.sd;
        // A zero deviation is the limit of a vanishing spread: only the mean itself has weight.
        const float e = two_var > 0.0f ? std::exp(-(d * d) / two_var) : (d == 0.0f ? 1.0f : 0.0f);
        freq[static_cast<std::size_t>(i)] = logn ? e / (root_two_pi * static_cast<float>(i)) : e / root_two_pi;
        sum += freq[static_cast<std::size_t>(i)];
    }
    if (!(sum > 0.0f) && classes > 0) {
        // Every class underflowed (no spread, or a mean far outside the classes): the
        // limiting distribution puts all species into the class nearest the mean.
        int best = 1;
        for (int i = 2; i <= classes; ++i)
            if (std::fabs(position(i) - w.mean) < std::fabs(position(best) - w.mean)) best = i;
        freq[static_cast<std::size_t>(best)] = 1.0f;
        sum = 1.0f;
    }
    if (!(sum > 0.0f) || !std::isfinite(sum)) return false;
    const float species = static_cast<float>(species_count);
    for (int i = 1; i <= classes; ++i)
        freq[static_cast<std::size_t>(i)] = species * freq[static_cast<std::size_t>(i)] / sum;
    // Class 1 (weights 1 to 2) becomes the first class holding at least half a species.
    int first = 0;
    for (int i = 1; i <= max_weight_classes && first == 0; ++i)
        if (freq[static_cast<std::size_t>(i)] >= 0.5f) first = i;
    if (first == 0) return false;
    for (int k = 1; k <= max_weight_classes; ++k) {
        const int from = k + first - 1;
        freq[static_cast<std::size_t>(k)] = from <= max_weight_classes ? freq[static_cast<std::size_t>(from)] : 0.0f;
    }
    return true;
}

void WeightSequence::next(const WeightClassList& freq) {
    if (cls > max_weight_classes || freq[static_cast<std::size_t>(cls)] < 0.5f) {
        weight = 0.0f;  // the classes are used up: no weight for this species
        return;
    }
    const int n = std::max(1, nearest<int>(freq[static_cast<std::size_t>(cls)]));
    const float upper = std::ldexp(1.0f, exponent);
    const float lower = std::ldexp(1.0f, exponent - 1);
    ++in_class;
    // Each weight comes from its rank in the class, not from adding up steps:
    // repeated single-precision steps can fall just short of the upper bound and
    // put an extra species into the class.  The n-th member closes the class.
    float w = lower + static_cast<float>(in_class) * ((upper - lower) / static_cast<float>(n));
    if (in_class >= n || upper <= w) {
        w = upper;
        ++exponent;
        ++cls;
        in_class = 0;
    }
    weight = w;
}

float undisturbed_abundance(DensityForm dwd, float w, float max_ind, float a, float b, bool& known) {
    known = true;
    // A zero deviation of the normal forms is the limit of a vanishing spread.
    auto bell = [b](float d) {
        const float two_var = 2.0f * b * b;
        return two_var > 0.0f ? std::exp(-(d * d) / two_var) : (d == 0.0f ? 1.0f : 0.0f);
    };
    switch (dwd) {
        case DensityForm::linear:
            return max_ind - (w - 1.0f) * a;
        case DensityForm::normal:
            return bell(w - a) * max_ind;
        case DensityForm::logn: {
            const float wl = w > 0.0f ? w : 1.0f;
            return bell(std::log(wl) - a) * max_ind / wl;
        }
        case DensityForm::power: {
            const float x = std::pow(w, -a) * max_ind;
            return x > 0.0f && std::isfinite(x) ? x : 1.0f;
        }
        case DensityForm::random:
            return max_ind;
        case DensityForm::other:
            break;
    }
    known = false;
    return 0.0f;
}

float fluctuation_factor(RandomStream& random, const ParameterSet& p, double r2) {
    for (;;) {
        const float u = static_cast<float>(random.uniform());
        if (p.Flucvar == 0.0f) return u;
        const float f = static_cast<float>(random.normal()) * p.Flucvar + p.Flucmy;
        if (f < 0.0f) continue;
        if (f <= 1.1f) return f;
        if (r2 > static_cast<double>(p.Dfluc)) return f;
    }
}

float fluctuated_abundance(DensityForm dwd, float x, float f, bool log_type) {
    if (!log_type) return (x - 1.0f) * f;
    float base = x;
    if (dwd == DensityForm::linear || dwd == DensityForm::random) {
        if (base <= 0.0f) base = 1.0f;
    } else if (dwd == DensityForm::normal || dwd == DensityForm::logn) {
        if (base < 1e-7f) base = 1e-7f;
    }
    return std::exp(f * std::log(base) - 1.0f);
}

void express_relative_abundances(std::vector<SpeciesRow>& species, double total) {
    for (SpeciesRow& row : species) {
        row.abundance = total > 0.0 ? static_cast<float>(row.abundance / total) : 0.0f;
        row.undisturbed = total > 0.0 ? static_cast<float>(row.undisturbed / total) : 0.0f;
    }
}

namespace {

CommunityOutcome abandon(Community& community, DerivedValues& d, CommunityOutcome outcome, std::string message) {
    community.species.clear();
    community.totals = CommunityTotals{};
    d.community_built = false;
    outcome.error = " " + message;  // a free-format console line
    return outcome;
}

}  // namespace

CommunityOutcome build_community(const ParameterSet& p, DerivedValues& d, bool model_only, RandomStream& random,
                                 Community& community) {
    d.community_built = false;
    community.totals = CommunityTotals{};
    CommunityOutcome outcome;

    const float side = static_cast<float>(d.grid_side);
    float max_ind = p.maxD > 0.0f ? side * p.maxD * side : default_max_individuals;
    if (!(max_ind > 0.0f)) max_ind = 1.0f;
    d.max_abundance = max_ind;
    d.smallest_abundance = max_ind;
    const float min_ind = d.min_abundance;

    const WeightClasses classes = fit_weight_classes(p, d.species);
    d.classes = classes.classes;
    d.swd_mean = classes.mean;
    d.swd_sd = classes.sd;
    if (!class_frequencies(p.SWD.kind(), classes, d.species, community.class_freq))
        return abandon(community, d, outcome, "Error while assigning the weight-classes");
    outcome.weight_classes = std::clamp(d.classes, 0, max_weight_classes);

    const int species = std::max(0, d.species);
    community.species.assign(static_cast<std::size_t>(species), SpeciesRow{});
    const bool frozen = p.DWD == DensityForm::linear && p.DWDmy == 0.0f && p.DWDvar == 0.0f;
    WeightSequence weights;
    for (int s = 1; s <= species; ++s) {
        SpeciesRow& row = community.species[static_cast<std::size_t>(s - 1)];
        row.number = static_cast<float>(s);
        outcome.table_started = true;

        weights.next(community.class_freq);
        (void)random.uniform();  // r1: drawn for the stream's sake, unused here
        const double r2 = random.uniform();
        (void)random.uniform();  // r3: serves the placement, redrawn there
        float f = fluctuation_factor(random, p, r2);
        if (weights.weight <= 0.0f) continue;  // no class left for this species

        bool known = true;
        const float x = undisturbed_abundance(p.DWD.kind(), weights.weight, max_ind, p.DWDmy, p.DWDvar, known);
        if (!known) return abandon(community, d, outcome, "Error with the DWD-function");
        if (frozen) f = 0.0f;
        float n = fluctuated_abundance(p.DWD.kind(), x, f, r2 <= static_cast<double>(p.Dfluc));
        if (!std::isfinite(n)) n = 0.0f;
        const float a = p.Dfluc < 0.0f ? x : n;

        float recorded = 0.0f;
        if (p.maxD <= 0.0f) {
            recorded = std::max(a, 0.0f);
            if (recorded > 0.0f && recorded < d.smallest_abundance) d.smallest_abundance = recorded;
        } else {
            if (n < min_ind) continue;  // too rare to hold one individual: dropped
            // A negative abundance means the species is absent.
            recorded = a < 0.0f ? 0.0f : std::trunc(a) + 1.0f;
        }
        row.weight = weights.weight;
        row.abundance = recorded;
        row.undisturbed = std::max(x, 0.0f);
        if (model_only) {
            row.fluctuated = std::max(n, 0.0f);
            community.totals.biomass += row.weight * row.abundance;
            community.totals.individuals += static_cast<double>(row.abundance);
        }
    }
    d.community_built = true;
    outcome.built = true;
    return outcome;
}

CommunityStatistics statistics_of_community(const std::vector<SpeciesRow>& species, bool sampled, DiversityIndex index) {
    std::vector<float> weights;
    std::vector<double> abundances;
    weights.reserve(species.size());
    abundances.reserve(species.size());
    for (const SpeciesRow& row : species) {
        weights.push_back(row.weight);
        abundances.push_back(static_cast<double>(sampled ? row.assigned : row.abundance));
    }
    return community_statistics(weights, abundances, index);
}

}  // namespace lorvenna
