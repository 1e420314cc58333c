#pragma once
// The sample units of a pass's design and what each species has in them.
#include <cstdint>
#include <vector>

namespace lorvenna {

struct SampleTables {
    int units = 0;                       // maxSa
    std::vector<std::int64_t> area;      // cells covered by unit i (index 0 is unit 1)
    std::vector<std::int64_t> niches;    // niches of unit i ("dep", "lin": cumulative)
    std::vector<int> x, y;               // first cell of unit i ("dep", "lin"), grid coordinates
    std::vector<std::int32_t> counts;    // individuals of species s in unit i: counts[s*units + i]
    // Per species the sum of squared cell counts over the whole sample (Lloyd's index of patchiness).
    std::vector<double> squared_counts;
    // Per species the individuals in the sampled square: the truth the sample estimates.
    std::vector<std::int64_t> in_square;
    // Per species the upper density boundary of the whole sample (Sample.txt).
    std::vector<double> density_boundary;
    std::int32_t& count(int species_index, int unit_index) {
        return counts[static_cast<std::size_t>(species_index) * static_cast<std::size_t>(units) +
                      static_cast<std::size_t>(unit_index)];
    }
    void release() { *this = SampleTables{}; }
};

}  // namespace lorvenna
