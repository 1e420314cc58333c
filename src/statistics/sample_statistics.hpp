#pragma once
// What one sample tells about each species: density, its spread over the
// units, log2 density, Lloyd's index of patchiness and the upper density
// boundary.
#include <vector>

namespace lorvenna {

// One-sided 95 % upper boundary of the density per cell when `count`
// individuals were found on `cells` cells (Poisson count; Wilson-Hilferty
// approximation of the chi-square quantile).  With no individual found it is
// the detection boundary, about 3 individuals over the area sampled.
double density_upper_boundary(double count, double cells);

struct SpeciesSample {
    double individuals = 0.0;
    double density = 0.0;       // individuals per cell of the area sampled
    double sd = 0.0;            // SD of the unit densities (divisor units - 1)
    double log2_density = 0.0;  // lb(density); 0 for a species not found
    double lloyd = 0.0;         // mean crowding over mean density; 0 for a species not found
    double boundary = 0.0;      // density_upper_boundary
};

// individuals and squared_cells (sum of squared cell counts) over the cells
// sampled; unit_densities: individuals per cell of every unit.
SpeciesSample species_sample(double individuals, double squared_cells, double cells,
                             const std::vector<double>& unit_densities);

}  // namespace lorvenna
