#pragma once
// The rarefaction and extrapolation curve of the largest sample of a pass,
// beside the true curve of the sampled square it estimates.
//
// Individual-based: the individuals of every species pooled over the units of
// the largest sample (the largest unit of a nested design), the abundances of
// that sample's statistics.  The curve is diversity_curve's at curve_sizes'
// knots from 1 to the endpoint (twice the sample unless given); the truth at
// the same sizes is true_diversity_curve of the species' individuals in the
// sampled square, their true relative abundances.  The bootstrap draws come
// from the caller's seed alone.
#include <cstdint>
#include <vector>

#include "data/session_options.hpp"
#include "sampling/sample_units.hpp"
#include "statistics/diversity_curve.hpp"
#include "statistics/true_diversity_curve.hpp"

namespace lorvenna {

struct SampleCurve {
    std::int64_t individuals = 0;        // n, the individuals of the largest sample
    std::vector<CurvePoint> estimated;   // empty for a sample without individuals
    std::vector<TrueCurvePoint> truth;   // at the sizes of `estimated`
};

// The curve of the sample tables `t` of a pass with `species` species rows.
SampleCurve sample_curve(const SamplingFrame& f, const SampleTables& t, std::size_t species,
                         const RarefactionSettings& settings, std::uint64_t seed);

}  // namespace lorvenna
