#pragma once
// Statistics of one abundance vector: species present, individuals, biomass,
// spread of log2 abundances, rank-abundance regression, diversity and
// evenness, Fisher's alpha.  The same function serves the whole community and
// every sample.
#include <vector>

#include "work_area.hpp"

namespace lorvenna {

// weights[k] and abundances[k] for k = 0 .. S-1; index is "sha", "simp" or "evar".
CommunityStatistics community_statistics(const std::vector<float>& weights,
                                         const std::vector<double>& abundances,
                                         const Keyword& index);

// Fisher's alpha for S species and N individuals: the first point of the 0.01
// grid at which (alpha/S) ln(N/alpha + 1) exceeds 1; 0 when S > N or S = N.
float fishers_alpha(double species, double individuals);

// Writes the whole-community header and row to Distribution.txt.
void write_community_statistics(WorkArea& wa);

}  // namespace lorvenna
