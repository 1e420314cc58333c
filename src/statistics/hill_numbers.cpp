#include "statistics/hill_numbers.hpp"

#include <vector>

#include "statistics/bootstrap_community.hpp"
#include "statistics/mean_spread.hpp"
#include "statistics/richness_estimators.hpp"

namespace lorvenna {
namespace {

const double nan = std::nan("");

double chao_richness(const FrequencyCounts& counts) {
    return estimate_richness(static_cast<int>(counts.observed), static_cast<int>(counts.f(1)),
                             static_cast<int>(counts.f(2)), static_cast<int>(counts.size), 0.0)
        .chao2;
}

}  // namespace

double digamma(double x) {
    double shift = 0.0;
    while (x < 6.0) shift -= 1.0 / x, x += 1.0;
    const double r = 1.0 / (x * x);
    return shift + std::log(x) - 0.5 / x -
           r * (1.0 / 12.0 - r * (1.0 / 120.0 - r * (1.0 / 252.0 - r * (1.0 / 240.0 - r * (1.0 / 132.0)))));
}

double entropy_tail(double n, double f1, double a) {
    if (a == 1.0 || f1 == 0.0 || !(a > 0.0)) return 0.0;
    const double x = 1.0 - a;
    if (a * n <= 5.0) {
        double power = 1.0, partial = 0.0;
        for (double r = 1.0; r < n; r += 1.0) power *= x, partial += power / r;
        return f1 / n * std::pow(x, 1.0 - n) * (-std::log(a) - partial);
    }
    double power = x, tail = 0.0;
    for (double j = 0.0;; j += 1.0) {
        const double term = power / (n + j);
        tail += term;
        if (term < 1e-17 * tail) break;
        power *= x;
    }
    return f1 / n * tail;
}

double entropy_discovery_rate(const FrequencyCounts& counts) {
    const double n = static_cast<double>(counts.size);
    const double f1 = static_cast<double>(counts.f(1)), f2 = static_cast<double>(counts.f(2));
    if (f2 > 0.0 && f1 > 0.0) return 2.0 * f2 / ((n - 1.0) * f1 + 2.0 * f2);
    if (f2 == 0.0 && f1 > 1.0) return 2.0 / ((n - 1.0) * (f1 - 1.0) + 2.0);
    return 1.0;
}

double coverage_deficit_rate(const FrequencyCounts& counts) {
    const double n = static_cast<double>(counts.size);
    const double f1 = static_cast<double>(counts.f(1)), f2 = static_cast<double>(counts.f(2));
    if (!(f1 > 0.0)) return 1.0;
    const double f0 = f2 == 0.0 ? (n - 1.0) / n * f1 * (f1 - 1.0) / 2.0 : (n - 1.0) / n * f1 * f1 / 2.0 / f2;
    return n * f0 / (n * f0 + f1);
}

HillNumbers hill_numbers(const FrequencyCounts& counts) {
    HillNumbers h;
    if (!counts.valid || counts.observed == 0) {
        h.observed = {counts.valid ? 0.0 : nan, nan, nan};
        h.estimated = {nan, nan, nan};
        h.coverage = nan;
        return h;
    }
    const double n = static_cast<double>(counts.size), u = static_cast<double>(counts.total);
    double shannon = 0.0, simpson = 0.0, digammas = 0.0, pairs = 0.0;
    const double psi_n = digamma(n);
    for (const FrequencyClass& c : counts.classes) {
        const double k = static_cast<double>(c.times), f = static_cast<double>(c.species), p = k / u;
        shannon -= f * p * std::log(p);
        simpson += f * p * p;
        if (c.times < counts.size) digammas += f * k / n * (psi_n - digamma(k));
        pairs += f * k * (k - 1.0);
    }
    const double f1 = static_cast<double>(counts.f(1));
    const double tail = entropy_tail(n, f1, entropy_discovery_rate(counts));
    h.observed = {static_cast<double>(counts.observed), std::exp(shannon), 1.0 / simpson};
    h.estimated[0] = chao_richness(counts);
    h.estimated[1] = counts.incidence ? std::exp(n / u * (digammas + tail) + std::log(u / n)) : std::exp(digammas + tail);
    const double simpson_estimate = counts.incidence ? (u / n) * (u / n) / (pairs / (n * (n - 1.0))) : n * (n - 1.0) / pairs;
    h.estimated[2] = pairs > 0.0 && n > 1.0 ? simpson_estimate : nan;
    h.coverage = 1.0 - f1 / u * coverage_deficit_rate(counts);
    return h;
}

HillEstimates hill_estimates(const FrequencyCounts& counts, int replicates, std::uint64_t seed) {
    HillEstimates e;
    const HillNumbers point = hill_numbers(counts);
    e.observed = point.observed;
    for (int q = 0; q < 3; ++q) e.estimated[q].estimate = point.estimated[q];
    e.coverage.estimate = point.coverage;
    if (replicates <= 0 || !counts.valid || counts.observed == 0) return e;
    const std::vector<double> community = bootstrap_community(counts);
    ResamplingGenerator generator(seed);
    std::vector<std::int64_t> scratch;
    FrequencyCounts sample;
    std::array<std::vector<double>, 4> values;
    for (auto& v : values) v.reserve(static_cast<std::size_t>(replicates));
    for (int b = 0; b < replicates; ++b) {
        if (!draw_bootstrap_sample(counts, community, generator, scratch, sample)) continue;
        const HillNumbers h = hill_numbers(sample);
        for (int q = 0; q < 3; ++q) values[q].push_back(h.estimated[q]);
        values[3].push_back(h.coverage);
        ++e.replicates;
    }
    for (int q = 0; q < 3; ++q) {
        Estimate& x = e.estimated[q];
        x.se = mean_spread(values[q]).sd;
        const double floor = q == 0 ? point.observed[0] : 0.0;
        x.lower95 = std::fmax(floor, x.estimate - normal_quantile_975 * x.se);
        x.upper95 = x.estimate + normal_quantile_975 * x.se;
        if (std::isnan(x.se) || std::isnan(x.estimate)) x.lower95 = x.upper95 = nan;
    }
    e.coverage.se = mean_spread(values[3]).sd;
    e.coverage.lower95 = std::fmax(0.0, e.coverage.estimate - normal_quantile_975 * e.coverage.se);
    e.coverage.upper95 = std::fmin(1.0, e.coverage.estimate + normal_quantile_975 * e.coverage.se);
    if (std::isnan(e.coverage.se)) e.coverage.lower95 = e.coverage.upper95 = nan;
    return e;
}

}  // namespace lorvenna
