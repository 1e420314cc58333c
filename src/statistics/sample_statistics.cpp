#include "statistics/sample_statistics.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/rounding.hpp"

namespace lorvenna {

double density_upper_boundary(double count, double cells) {
    if (!(cells > 0.0) || count < 0.0) return 0.0;
    constexpr double z95 = 1.6448536;  // one-sided 95 % standard normal quantile
    const double k = count + 1.0;
    const double root = 1.0 - 1.0 / (9.0 * k) + z95 / (3.0 * std::sqrt(k));
    return k * root * root * root / cells;
}

SpeciesSample species_sample(double individuals, double squared_cells, double cells,
                             const std::vector<double>& unit_densities) {
    SpeciesSample s;
    s.individuals = individuals;
    if (cells > 0.0) s.density = individuals / cells;
    const std::size_t m = unit_densities.size();
    if (m >= 2) {
        double mean = 0.0;
        for (const double d : unit_densities) mean += d;
        mean /= static_cast<double>(m);
        double ss = 0.0;
        for (const double d : unit_densities) ss += (d - mean) * (d - mean);
        s.sd = std::sqrt(ss / static_cast<double>(m - 1));
    }
    if (s.density > 0.0) {
        s.log2_density = lb(s.density);
        // Lloyd: mean crowding m* = m + (var/m - 1) per cell; patchiness m*/m.
        const double var = std::max(squared_cells / cells - s.density * s.density, 0.0);
        s.lloyd = 1.0 + (var - s.density) / (s.density * s.density);
    }
    s.boundary = density_upper_boundary(individuals, cells);
    for (double* v : {&s.density, &s.sd, &s.log2_density, &s.lloyd, &s.boundary})
        if (!std::isfinite(*v)) *v = 0.0;
    return s;
}

}  // namespace lorvenna
