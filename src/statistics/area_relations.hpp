#pragma once
// Species-area relations of a series of samples: the power and
// semi-logarithmic species-area fits, the power endemics-area fit, and the
// bootstrap estimate of the species a sample misses.
#include <cstddef>
#include <vector>

#include "statistics/least_squares.hpp"

namespace lorvenna {

// One fitted curve of a series: y = c x^z fitted on logarithms (a power
// law), or y = c + z ln x (semi-logarithmic).  A fit not made keeps 0 in each
// of its values, and its share of explained variance is also 0 when the
// counts do not vary.
struct CurveFit {
    bool made = false;
    double c = 0.0, z = 0.0;
    bool explained_made = false;
    double explained = 0.0;  // r^2
};

// The fits of a series: the power species-area curve S = c A^z, the
// semi-logarithmic one S = a + b ln A, and the power endemics-area curve E = c A^z.
struct SpeciesAreaFits {
    CurveFit power, semi_log, endemics;
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
