#include "statistics/estimator_scores.hpp"

#include "statistics/richness_estimators.hpp"

namespace lorvenna {

EstimatorScores score_estimator(const std::vector<ReplicateEstimate>& replicates) {
    EstimatorScores s;
    std::vector<double> values(replicates.size());
    const auto spread_of = [&](auto value) {
        for (std::size_t i = 0; i < replicates.size(); ++i) values[i] = value(replicates[i]);
        return mean_spread(values);
    };
    s.truth = spread_of([](const ReplicateEstimate& r) { return r.truth; });
    s.estimate = spread_of([](const ReplicateEstimate& r) { return r.estimate; });
    s.error = spread_of([](const ReplicateEstimate& r) { return r.estimate - r.truth; });
    s.relative_bias = spread_of([](const ReplicateEstimate& r) { return relative_bias(r.estimate, r.truth); });
    const std::vector<double> relative = values;
    double squares = 0.0, absolute = 0.0;
    int counted = 0, intervals = 0, covered = 0, widths = 0;
    double width = 0.0;
    for (std::size_t i = 0; i < replicates.size(); ++i) {
        const ReplicateEstimate& r = replicates[i];
        if (std::isfinite(relative[i])) {
            squares += relative[i] * relative[i];
            absolute += std::fabs(relative[i]);
            ++counted;
        }
        if (!std::isfinite(r.lower95) || !std::isfinite(r.upper95) || !std::isfinite(r.truth)) continue;
        ++intervals;
        covered += r.lower95 <= r.truth && r.truth <= r.upper95 ? 1 : 0;
        if (r.truth > 0.0) width += (r.upper95 - r.lower95) / r.truth, ++widths;
    }
    const double nan = std::nan("");
    s.rmse_relative = counted > 0 ? std::sqrt(squares / counted) : nan;
    s.mae_relative = counted > 0 ? absolute / counted : nan;
    s.ci_coverage = intervals > 0 ? static_cast<double>(covered) / intervals : nan;
    s.relative_ci_width = widths > 0 ? width / widths : nan;
    return s;
}

}  // namespace lorvenna
