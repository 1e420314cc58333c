#pragma once
// Statistics of one abundance vector: species present, individuals, biomass,
// spread of log2 abundances, rank-abundance regression, diversity and
// evenness, Fisher's alpha.  The same function serves the whole community and
// every sample.
#include <vector>

#include "data/keyword_choice.hpp"

namespace lorvenna {

// Statistics of one abundance vector: the community or one sample.
struct CommunityStatistics {
    int species = 0;            // S
    double individuals = 0.0;   // N
    double biomass = 0.0;
    float sd_lb = 0.0f;         // SD of log2 abundances
    float rad_slope = 0.0f, rad_intercept = 0.0f;
    float diversity = 0.0f, evenness = 0.0f, alpha = 0.0f;
};

// weights[k] and abundances[k] for k = 0 .. S-1; the index chooses Diversity and Evenness.
CommunityStatistics community_statistics(const std::vector<float>& weights,
                                         const std::vector<double>& abundances,
                                         DiversityIndex index);

// Fisher's alpha for S species and N individuals: the first point of the 0.01
// grid at which (alpha/S) ln(N/alpha + 1) exceeds 1; 0 when S > N or S = N.
float fishers_alpha(double species, double individuals);
// The root itself: alpha with S = alpha ln(1 + N/alpha), to the last bits of a
// double; NaN when S >= N or S < 1 (no finite alpha).
double fishers_alpha_root(double species, double individuals);

// The three diversity indices of an abundance vector, whichever the report
// shows: Shannon's H, the inverse Simpson index 1 / sum p^2, and Smith and
// Wilson's Evar = 1 - (2/pi) arctan(variance of ln x).  NaN where undefined:
// every index of an empty sample, Evar of a single species.
struct DiversityIndices {
    double shannon = 0.0, inverse_simpson = 0.0, evar = 0.0;
};
DiversityIndices diversity_indices(const std::vector<double>& abundances);

}  // namespace lorvenna
