// The tallies of one sample-size pass over the units of the sample.
#include "sampling/sample_size_tally.hpp"

#include <cstdint>

namespace lorvenna {

void credit_first_units(const SampleCounts& counts, int n, const std::vector<int>& order,
                        std::vector<double>& credited) {
    for (int k = 0; k < counts.species; ++k) {
        for (int p = 0; p < n; ++p) {
            if (counts.at(k, order[static_cast<std::size_t>(p)]) > 0) {
                credited[static_cast<std::size_t>(p)] += 1.0;
                break;
            }
        }
    }
}

SpeciesAreaRows species_area_rows(Design d, const SampleCounts& counts,
                                  const std::vector<std::int64_t>& area,
                                  const std::vector<std::int64_t>& niches, int n,
                                  const std::vector<int>& order,
                                  const std::vector<double>& new_species, int assemblage_species) {
    SpeciesAreaRows r;
    const auto un = static_cast<std::size_t>(n);
    const bool accumulate = is_accumulating(d);
    auto unit_at = [&](std::size_t p) { return static_cast<std::size_t>(order[p]); };

    // One pass over the species: presence per unit, occupancy, endemics, bootstrap.
    std::vector<int> present(un, 0), endemic_of_unit(un, 0);
    r.occupancy.assign(un, 0);
    int* const present_in = present.data();
    for (int k = 0; k < counts.species; ++k) {
        // Counted without branches (the loop vectorises); the unit of a
        // species found in one unit only is looked up afterwards.
        const std::int32_t* const of_species = counts.data + static_cast<std::size_t>(k) * static_cast<std::size_t>(counts.units);
        int occupied = 0;
        for (int u = 0; u < n; ++u) {
            const int found = of_species[u] > 0 ? 1 : 0;
            occupied += found;
            present_in[u] += found;
        }
        if (occupied == 0) continue;
        int only = -1;
        if (occupied == 1)
            for (int u = 0; u < n && only < 0; ++u)
                if (of_species[u] > 0) only = u;
        ++r.species_sampled;
        ++r.occupancy[static_cast<std::size_t>(occupied - 1)];
        r.bootstrap += bootstrap_term(occupied, n);
        if (occupied == 1) ++endemic_of_unit[static_cast<std::size_t>(only)];
    }

    r.area.assign(un, 0);
    r.niches.assign(un, 0);
    r.endemics.assign(un, 0);
    r.new_species.assign(un, 0.0);
    r.cumulative.assign(un, 0.0);
    std::int64_t area_sum = 0, niche_sum = 0;
    double running = 0.0;
    for (std::size_t i = 0; i < un; ++i) {
        r.new_species[i] = i < new_species.size() ? new_species[i] : 0.0;
        running += r.new_species[i];
        r.cumulative[i] = running;
        if (accumulate) {
            // Equal units taken in their current order: area and niches add up.
            const std::size_t u = unit_at(i);
            area_sum += area[u];
            niche_sum += niches[u] - (u > 0 ? niches[u - 1] : 0);
            r.area[i] = area_sum;
            r.niches[i] = niche_sum;
            r.endemics[i] = endemic_of_unit[u];
        } else {
            r.area[i] = area[i];
            r.niches[i] = niches[i];
            r.endemics[i] = endemic_of_unit[i];
        }
    }

    r.assemblage_species = assemblage_species;
    double per_unit = 0.0;
    for (const int s : present) per_unit += s;
    r.species_per_unit = n > 0 ? per_unit / n : 0.0;
    r.relative_density = assemblage_species > 0 ? r.species_per_unit / assemblage_species : 0.0;
    r.samples = n;
    r.singles = n >= 1 ? r.occupancy[0] : 0;
    r.doubles = n >= 2 ? r.occupancy[1] : 0;

    // Curves: "dep" and "lin" accumulate species and endemics over the units in
    // order; the other designs relate each unit's own count to its own area.
    std::vector<double> a(un), s(un), e(un);
    double endemic_sum = 0.0;
    for (std::size_t i = 0; i < un; ++i) {
        a[i] = static_cast<double>(r.area[i]);
        endemic_sum += r.endemics[i];
        s[i] = accumulate ? r.cumulative[i] : static_cast<double>(present[i]);
        e[i] = accumulate ? endemic_sum : static_cast<double>(r.endemics[i]);
    }
    r.fits = fit_species_area(a, s, e);
    r.curve_species = std::move(s);
    r.curve_endemics = std::move(e);
    return r;
}

}  // namespace lorvenna
