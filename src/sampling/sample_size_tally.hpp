#pragma once
// One sample-size pass over the sample units: species per unit, species
// first met per unit, species found in exactly c units, endemics, the
// bootstrap summand and the species-area and endemics-area fits of the pass.
#include <cstdint>
#include <vector>

#include "sampling/sample_units.hpp"
#include "statistics/area_relations.hpp"

namespace lorvenna {

// One reshuffling pass: every species is credited to the first position of the
// unit order (units order[0..n-1]) whose unit holds it; credited[p] grows by the
// species credited to position p.
void credit_first_units(const SampleCounts& counts, int n, const std::vector<int>& order,
                        std::vector<double>& credited);

// The eight Analysis.txt rows of a pass with n units.
struct SpeciesAreaRows {
    std::vector<std::int64_t> area;       // 1: area sampled with 1..n units
    std::vector<std::int64_t> niches;     // 2: niches of that area
    std::vector<int> occupancy;           // 3: species in exactly c = 1..n units
    std::vector<double> new_species;      // 4: mean species first met at position i
    std::vector<int> endemics;            // 5: species found only in that unit
    std::vector<double> cumulative;       // 6: running sum of row 4
    int assemblage_species = 0;           // 7: species with individuals in the grid
    double species_per_unit = 0.0;        //    mean species of one sample unit
    int species_sampled = 0;              //    species in at least one unit
    double relative_density = 0.0;        //    species_per_unit / assemblage_species
    double bootstrap = 0.0;               //    sum of (1 - c/n)^n over the species found
    int samples = 0;                      //    n
    int singles = 0, doubles = 0;         //    species in exactly one and in two units
    SpeciesAreaFits fits;                 // 8
    std::vector<double> curve_species;    // S_i of the species-area curve: cumulative for "dep" and "lin"
    std::vector<double> curve_endemics;   // E_i of the endemics-area curve, likewise
};

// area[u] and niches[u] as stored in the sample tables (unit u+1; "dep" and
// "lin" niches cumulative over the units); order is the current unit order and
// new_species the credited counts already averaged over the reshuffling passes.
SpeciesAreaRows species_area_rows(Design d, const SampleCounts& counts,
                                  const std::vector<std::int64_t>& area,
                                  const std::vector<std::int64_t>& niches, int n,
                                  const std::vector<int>& order,
                                  const std::vector<double>& new_species, int assemblage_species);

}  // namespace lorvenna
