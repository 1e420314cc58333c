#pragma once
// Species-area relations of a series of samples: the power and
// semi-logarithmic species-area fits, the power endemics-area fit, and the
// bootstrap estimate of the species a sample misses.
#include <cstddef>
#include <vector>

#include "statistics/least_squares.hpp"

namespace lorvenna {

// The fits of a series; a fit not made keeps 0 in each of its values, and its
// share of explained variance is also 0 when the counts do not vary.
struct SpeciesAreaFits {
    double power_c = 0.0, power_z = 0.0, power_explained = 0.0;  // S = c A^z
    double exp_a = 0.0, exp_b = 0.0, exp_explained = 0.0;        // S = a + b ln A
    double ear_c = 0.0, ear_z = 0.0, ear_explained = 0.0;        // E = c A^z
    bool power_made = false, exp_made = false, ear_made = false;
    bool power_explained_made = false, exp_explained_made = false, ear_explained_made = false;
};

// Index (0-based) of the first sample size after the last one without species;
// 0 when every size has species.
std::size_t first_size_with_species(const std::vector<double>& species);

// Fits over the sample sizes i = 1..n (vectors indexed i-1): area A_i, species
// S_i and endemics E_i.  Sizes before first_size_with_species are left out;
// after it, the curves take every size whose area and count are positive.
SpeciesAreaFits fit_species_area(const std::vector<double>& area, const std::vector<double>& species,
                                 const std::vector<double>& endemics);

// The bootstrap term (1 - c/n)^n of a species found in c of n sample units:
// the chance that a bootstrap sample of n units misses it.
double bootstrap_term(int occupied, int n);

}  // namespace lorvenna
