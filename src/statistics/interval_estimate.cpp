#include "statistics/interval_estimate.hpp"

namespace lorvenna {

Estimate log_transformed_interval(double estimate, double variance, double observed) {
    Estimate e;
    e.estimate = estimate;
    if (!std::isfinite(estimate) || !(variance > 0.0) || !std::isfinite(variance)) return e;
    e.se = std::sqrt(variance);
    const double undetected = estimate - observed;
    const double c = std::exp(normal_quantile_975 * std::sqrt(std::log(1.0 + variance / (undetected * undetected))));
    e.lower95 = observed + undetected / c;
    e.upper95 = observed + undetected * c;
    return e;
}

Estimate observed_count_interval(const FrequencyCounts& counts, double estimate) {
    Estimate e;
    e.estimate = estimate;
    const double s = static_cast<double>(counts.observed), n = static_cast<double>(counts.size);
    if (!(s > 0.0) || !(n > 0.0)) return e;
    double spread = 0.0, weighted = 0.0, missed = 0.0;
    for (const FrequencyClass& c : counts.classes) {
        // Classes seen more often than e^-k can hold add exactly nothing;
        // they are skipped rather than sent through exp's slow underflow path.
        if (c.times > 746) break;
        const double k = static_cast<double>(c.times), f = static_cast<double>(c.species), seen_k = std::exp(-k);
        spread += f * (seen_k - std::exp(-2.0 * k));
        weighted += k * seen_k * f;
        missed += f * seen_k / s;
    }
    const double variance = spread - weighted * weighted / n;
    if (!(variance >= 0.0)) return e;
    e.se = std::sqrt(variance);
    const double centre = s / (1.0 - missed), half = normal_quantile_975 * std::sqrt(variance) / (1.0 - missed);
    e.lower95 = std::fmax(s, centre - half);
    e.upper95 = centre + half;
    return e;
}

Estimate richness_interval(const FrequencyCounts& counts, double estimate, double variance) {
    if (!std::isfinite(estimate)) return Estimate{};
    const double s = static_cast<double>(counts.observed);
    if (rounds_to_zero(estimate - s)) return observed_count_interval(counts, estimate);
    return log_transformed_interval(estimate, variance, s);
}

}  // namespace lorvenna
