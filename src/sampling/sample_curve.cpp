#include "sampling/sample_curve.hpp"

#include <algorithm>
#include <cmath>

#include "sampling/design_context.hpp"
#include "sampling/sample_evaluation.hpp"

namespace lorvenna {

SampleCurve sample_curve(const SamplingFrame& f, const SampleTables& t, std::size_t species,
                         const RarefactionSettings& settings, std::uint64_t seed) {
    SampleCurve curve;
    if (t.units < 1) return curve;
    const int rows = detail::species_rows(t, species);
    const std::vector<double> pooled = sample_abundances(f.design, detail::counts_of(t, rows), t.units);
    AbundanceSample sample;
    sample.individuals.reserve(pooled.size());
    for (const double x : pooled) {
        sample.individuals.push_back(std::llround(x));  // sums of whole counts: exact in a double
        curve.individuals += sample.individuals.back();
    }
    if (curve.individuals < 1) return curve;
    const std::int64_t endpoint = settings.endpoint > 0 ? settings.endpoint : 2 * curve.individuals;
    const std::vector<std::int64_t> sizes = curve_sizes(curve.individuals, endpoint, settings.knots);
    curve.estimated = diversity_curve(frequency_counts(sample), sizes, settings.bootstraps, seed);
    std::vector<double> square(t.in_square.begin(), t.in_square.begin() + std::min<std::ptrdiff_t>(
                                                                             rows, static_cast<std::ptrdiff_t>(t.in_square.size())));
    curve.truth = true_diversity_curve(square, sizes);
    return curve;
}

}  // namespace lorvenna
