#include "statistics/sample_statistics.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {

std::vector<double> sample_abundances(Design d, const SampleCounts& counts, int n) {
    std::vector<double> x(static_cast<std::size_t>(std::max(counts.species, 0)), 0.0);
    if (n < 1) return x;
    for (int k = 0; k < counts.species; ++k) {
        double sum = 0.0;
        if (is_nested(d)) {
            sum = counts.at(k, n - 1);
        } else {
            for (int u = 0; u < n; ++u) sum += counts.at(k, u);
        }
        x[static_cast<std::size_t>(k)] = sum;
    }
    return x;
}

std::int64_t cells_sampled(Design d, const std::vector<std::int64_t>& cells, int n) {
    if (n < 1 || cells.empty()) return 0;
    const auto last = std::min(static_cast<std::size_t>(n), cells.size());
    if (is_nested(d)) return cells[last - 1];
    std::int64_t sum = 0;
    for (std::size_t u = 0; u < last; ++u) sum += cells[u];
    return sum;
}

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

std::string species_sample_line(double number, double weight, const SpeciesSample& s) {
    return int_field(nearest(number), 5) + " " + real_field(weight, 15, 2) + " " +
           real_field(s.individuals, 15, 0) + " " + real_field(s.density, 15, 10) + " " +
           real_field(s.sd, 15, 10) + " " + real_field(s.log2_density, 15, 3) + " " +
           real_field(s.lloyd, 15, 3) + " " + blanks(2) + real_field(s.boundary, 18, 10);
}

std::string sample_statistics_header() {
    std::string h = text_field("No. species", 11) + " " + text_field("Ind. Sample", 11) + " " +
                    text_field("     Total biomass", 18) + " ";
    for (const char* t : {"SD lb(dens)", "  RAD slope", "  RAD Inter", "Diversity", "Evenness",
                          "Alpha", "Area sampl.", "Unit area"})
        h += text_field(t, 11) + " ";
    return h;
}

std::string sample_statistics_line(const CommunityStatistics& s, bool integer_individuals,
                                   std::int64_t area_sampled, std::int64_t unit_area) {
    std::string line = int_field(s.species, 11) + " ";
    line += (integer_individuals ? int_field(nearest(s.individuals), 11)
                                 : real_field(s.individuals, 11, 0)) + " ";
    line += real_field(s.biomass, 18, 1) + " ";
    for (const float v : {s.sd_lb, s.rad_slope, s.rad_intercept, s.diversity, s.evenness, s.alpha})
        line += real_field(static_cast<double>(v), 11, 4) + " ";
    line += int_field(area_sampled, 11) + " " + int_field(unit_area, 11) + " ";
    return line;
}

}  // namespace lorvenna
