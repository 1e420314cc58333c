#include "statistics/bootstrap_community.hpp"

#include <cmath>

#include "numerics/binomial_draw.hpp"

namespace lorvenna {

std::vector<double> bootstrap_community(const FrequencyCounts& counts) {
    std::vector<double> community;
    if (!counts.valid || counts.observed == 0) return community;
    const double n = static_cast<double>(counts.size);
    const double f1 = static_cast<double>(counts.f(1)), f2 = static_cast<double>(counts.f(2));
    const double f0 = f2 == 0.0 ? (n - 1.0) / n * f1 * (f1 - 1.0) / 2.0 : (n - 1.0) / n * f1 * f1 / 2.0 / f2;
    const double a = f1 > 0.0 ? n * f0 / (n * f0 + f1) : 1.0;
    const double missing = f1 / n * a;  // the estimated share of the undetected species
    double spread = 0.0;
    for (const FrequencyClass& c : counts.classes) {
        const double p = static_cast<double>(c.times) / n;
        spread += static_cast<double>(c.species) * p * std::pow(1.0 - p, n);
    }
    const double w = f0 == 0.0 ? 0.0 : missing / spread;
    for (const FrequencyClass& c : counts.classes) {
        const double p = static_cast<double>(c.times) / n;
        community.insert(community.end(), static_cast<std::size_t>(c.species), p * (1.0 - w * std::pow(1.0 - p, n)));
    }
    const double undetected = std::ceil(f0);
    if (undetected > 0.0) community.insert(community.end(), static_cast<std::size_t>(undetected), missing / undetected);
    return community;
}

bool draw_bootstrap_sample(const FrequencyCounts& counts, const std::vector<double>& community,
                           ResamplingGenerator& generator, std::vector<std::int64_t>& scratch, FrequencyCounts& out) {
    if (!counts.incidence) {
        multinomial_draw(counts.size, community, generator, scratch);
    } else {
        scratch.resize(community.size());
        for (std::size_t i = 0; i < community.size(); ++i) scratch[i] = binomial_draw(counts.size, community[i], generator);
    }
    tally_frequencies(scratch, counts.incidence, counts.size, out);
    return out.observed > 0;
}

}  // namespace lorvenna
