#pragma once
// What one sample tells about each species and about the community: the
// pooled abundances of a sample of n units, the per-species sample table
// (density, its spread over the units, log2 density, Lloyd's index of
// patchiness, the upper density boundary) and the statistics row of a sample.
#include <cstdint>
#include <string>
#include <vector>

#include "sampling/sample_units.hpp"
#include "work_area.hpp"

namespace lorvenna {

// Individuals of every species in the sample of the first n units: in a nested
// design the largest unit holds the sample; otherwise the units are pooled.
std::vector<double> sample_abundances(Design d, const SampleCounts& counts, int n);

// Cells inspected by the sample of the first n units (cells[u]: cells of unit u+1):
// the largest unit of a nested design, the sum of the units otherwise.
std::int64_t cells_sampled(Design d, const std::vector<std::int64_t>& cells, int n);

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

// A row of the per-species sample table of Sample.txt.
std::string species_sample_line(double number, double weight, const SpeciesSample& s);

// The statistics header of Sample.txt and one row per sample.
std::string sample_statistics_header();
std::string sample_statistics_line(const CommunityStatistics& s, bool integer_individuals,
                                   std::int64_t area_sampled, std::int64_t unit_area);

}  // namespace lorvenna
