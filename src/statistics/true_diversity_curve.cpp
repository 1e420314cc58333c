#include "statistics/true_diversity_curve.hpp"

#include <algorithm>
#include <cmath>

namespace lorvenna {
namespace {

// E[K ln K] for K ~ Binomial(m, p), 0 < p < 1, with k ln k from the table.
double binomial_k_log_k(std::int64_t m, double p, const std::vector<double>& k_log_k) {
    const double mm = static_cast<double>(m), odds = p / (1.0 - p);
    const auto mode = std::min(m, static_cast<std::int64_t>(std::floor((mm + 1.0) * p)));
    double weight = 1.0, total = 1.0, sum = k_log_k[static_cast<std::size_t>(mode)];
    for (std::int64_t k = mode; k < m; ++k) {
        const double kk = static_cast<double>(k);
        weight *= (mm - kk) / (kk + 1.0) * odds;
        total += weight;
        sum += weight * k_log_k[static_cast<std::size_t>(k + 1)];
        if (weight < 1e-18 * total) break;
    }
    weight = 1.0;
    for (std::int64_t k = mode; k > 0; --k) {
        const double kk = static_cast<double>(k);
        weight *= kk / (mm - kk + 1.0) / odds;
        total += weight;
        sum += weight * k_log_k[static_cast<std::size_t>(k - 1)];
        if (weight < 1e-18 * total) break;
    }
    return sum / total;
}

}  // namespace

std::vector<TrueCurvePoint> true_diversity_curve(const std::vector<double>& relative_abundances,
                                                 const std::vector<std::int64_t>& sizes) {
    double total = 0.0;
    for (const double p : relative_abundances) total += p > 0.0 ? p : 0.0;
    std::vector<double> p;
    for (const double a : relative_abundances)
        if (a > 0.0) p.push_back(a / total);
    double concentration = 0.0;
    for (const double x : p) concentration += x * x;
    const std::int64_t largest = sizes.empty() ? 0 : std::max<std::int64_t>(0, *std::max_element(sizes.begin(), sizes.end()));
    std::vector<double> k_log_k(static_cast<std::size_t>(largest) + 1, 0.0);
    for (std::int64_t k = 2; k <= largest; ++k) k_log_k[static_cast<std::size_t>(k)] = static_cast<double>(k) * std::log(static_cast<double>(k));

    std::vector<TrueCurvePoint> curve;
    for (const std::int64_t m : sizes) {
        TrueCurvePoint point;
        point.size = m;
        if (m < 1 || p.empty()) {
            point.diversity.fill(std::nan(""));
            point.coverage = std::nan("");
            curve.push_back(point);
            continue;
        }
        const double mm = static_cast<double>(m);
        double unseen = 0.0, unseen_share = 0.0, entropy = 0.0;
        for (const double x : p) {
            const double miss = x < 1.0 ? std::exp(mm * std::log1p(-x)) : 0.0;
            unseen += miss;
            unseen_share += x * miss;
            const double k_log_k_mean = x < 1.0 ? binomial_k_log_k(m, x, k_log_k) : mm * std::log(mm);
            entropy -= (k_log_k_mean - mm * x * std::log(mm)) / mm;
        }
        point.diversity = {static_cast<double>(p.size()) - unseen, std::exp(entropy),
                           1.0 / (1.0 / mm + (1.0 - 1.0 / mm) * concentration)};
        point.coverage = 1.0 - unseen_share;
        curve.push_back(point);
    }
    return curve;
}

}  // namespace lorvenna
