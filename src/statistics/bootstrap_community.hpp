#pragma once
// The bootstrap community of Chao et al. (2014, Ecol. Monogr. 84: 45), from
// which iNEXT draws its bootstrap samples, and the drawing of one sample.
//
// Abundance: the observed species get
//   p_i = x_i/n (1 - w (1 - x_i/n)^n),  w = (f1/n A) / sum_j x_j/n (1 - x_j/n)^n,
// and ceil(f0) undetected species share f1/n A equally, with f0 the Chao1
// undetected part and A = n f0 / (n f0 + f1) (w = 0 when f0 = 0).
// Incidence: the same with T and Y_i gives detection chances per unit.
//
// A sample: abundance, n individuals multinomial over the community;
// incidence, every species found in Binomial(T, pi_i) units independently.
// The draws come from the caller's ResamplingGenerator, never from the
// program's random stream.
#include <cstdint>
#include <vector>

#include "numerics/resampling_generator.hpp"
#include "statistics/frequency_data.hpp"

namespace lorvenna {

std::vector<double> bootstrap_community(const FrequencyCounts& counts);

// One bootstrap sample's frequency counts into `out`, with `scratch` reused
// between calls (no allocation once their capacity suffices).  Returns false
// for an incidence sample without any detection (iNEXT drops it).
bool draw_bootstrap_sample(const FrequencyCounts& counts, const std::vector<double>& community,
                           ResamplingGenerator& generator, std::vector<std::int64_t>& scratch, FrequencyCounts& out);

}  // namespace lorvenna
