#pragma once
// The true rarefaction curve of a community whose relative abundances p_i are
// known (a virtual community): what a sample of m individuals drawn with
// replacement yields on average.
//   q = 0:    S - sum_i (1 - p_i)^m, the expected species seen
//   q = 1:    exp of the expected plug-in Shannon entropy (natural log),
//             -sum_i E[(K_i/m) ln(K_i/m)] with K_i ~ Binomial(m, p_i)
//   q = 2:    1 / (1/m + (1 - 1/m) sum_i p_i^2), the inverse of the expected
//             Simpson concentration of the sample
//   coverage: 1 - sum_i p_i (1 - p_i)^m, the expected share of the community
//             belonging to species in the sample
// The binomial expectation is k_log_k_expectation.hpp's: the exact sum from
// the mode outward below a mean of 10^4, the expansion in the moments beyond.
// The p_i need not sum to 1 (they are divided by their sum); zeros are
// species that cannot be drawn.  Sizes below 1 give NaN.
#include <array>
#include <cstdint>
#include <vector>

namespace lorvenna {

struct TrueCurvePoint {
    std::int64_t size = 0;
    std::array<double, 3> diversity{};  // q = 0, 1, 2
    double coverage = 0.0;
};

std::vector<TrueCurvePoint> true_diversity_curve(const std::vector<double>& relative_abundances,
                                                 const std::vector<std::int64_t>& sizes);

}  // namespace lorvenna
