#include "statistics/true_diversity_curve.hpp"

#include <algorithm>
#include <cmath>

#include "statistics/k_log_k_expectation.hpp"

namespace lorvenna {

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
    const KLogK k_log_k(largest);

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
