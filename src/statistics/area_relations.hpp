#pragma once
// Species-area analysis of one sample-size pass: the tallies of the sample
// units (species per unit, species first met per unit, species found in
// exactly c units, endemics), the bootstrap summand and the power and
// semi-logarithmic species-area fits and the power endemics-area fit.
#include <cstdint>
#include <string>
#include <vector>

#include "sampling/sample_units.hpp"
#include "statistics/least_squares.hpp"

namespace lorvenna {

struct SpeciesAreaFits {
    double power_c = 0.0, power_z = 0.0, power_explained = 0.0;  // S = c A^z
    double exp_a = 0.0, exp_b = 0.0, exp_explained = 0.0;        // S = a + b ln A
    double ear_c = 0.0, ear_z = 0.0, ear_explained = 0.0;        // E = c A^z
};

// Index (0-based) of the first sample size after the last one without species;
// 0 when every size has species.
std::size_t first_size_with_species(const std::vector<double>& species);

// Fits over the sample sizes i = 1..n (vectors indexed i-1): area A_i, species
// S_i and endemics E_i.  Sizes before first_size_with_species are left out;
// after it, the curves take every size whose area and count are positive.
SpeciesAreaFits fit_species_area(const std::vector<double>& area, const std::vector<double>& species,
                                 const std::vector<double>& endemics);

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
};

// area[u] and niches[u] as stored in the sample tables (unit u+1; "dep" and
// "lin" niches cumulative over the units); order is the current unit order and
// new_species the credited counts already averaged over the reshuffling passes.
SpeciesAreaRows species_area_rows(Design d, const SampleCounts& counts,
                                  const std::vector<std::int64_t>& area,
                                  const std::vector<std::int64_t>& niches, int n,
                                  const std::vector<int>& order,
                                  const std::vector<double>& new_species, int assemblage_species);

// Rows 1 to 8 as written to Analysis.txt.
std::vector<std::string> analysis_lines(const SpeciesAreaRows& rows);

}  // namespace lorvenna
