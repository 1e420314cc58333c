#include "statistics/area_relations.hpp"

#include <cmath>

namespace lorvenna {
namespace {

// Power fit y = c x^z on the positive points from `start` on.
LineFit log_log_fit(const std::vector<double>& area, const std::vector<double>& y, std::size_t start) {
    std::vector<double> lx, ly;
    for (std::size_t i = start; i < area.size() && i < y.size(); ++i) {
        if (area[i] > 0.0 && y[i] > 0.0) {
            lx.push_back(std::log(area[i]));
            ly.push_back(std::log(y[i]));
        }
    }
    return fit_line(lx, ly);
}

// The power law of a line fitted on logarithms: c = e^intercept, z = slope.
CurveFit power_law(const LineFit& line) {
    if (!line.made || !std::isfinite(std::exp(line.intercept))) return {};
    return CurveFit{true, std::exp(line.intercept), line.slope, line.explained_made, line.explained};
}

}  // namespace

std::size_t first_size_with_species(const std::vector<double>& species) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < species.size(); ++i)
        if (!(species[i] > 0.0)) start = i + 1;
    return start;
}

SpeciesAreaFits fit_species_area(const std::vector<double>& area, const std::vector<double>& species,
                                 const std::vector<double>& endemics) {
    SpeciesAreaFits f;
    const std::size_t start = first_size_with_species(species);
    f.power = power_law(log_log_fit(area, species, start));

    std::vector<double> lx, s;
    for (std::size_t i = start; i < area.size() && i < species.size(); ++i) {
        if (area[i] > 0.0 && species[i] > 0.0) {
            lx.push_back(std::log(area[i]));
            s.push_back(species[i]);
        }
    }
    const LineFit semi_log = fit_line(lx, s);
    if (semi_log.made) f.semi_log = CurveFit{true, semi_log.intercept, semi_log.slope, semi_log.explained_made,
                                             semi_log.explained};

    // Endemics start where the species-area curve starts: a size without species
    // holds no endemics, and a size with species but no endemics is one
    // unloggable point, not the edge of the curve.
    f.endemics = power_law(log_log_fit(area, endemics, start));
    return f;
}

double bootstrap_term(int occupied, int n) { return std::pow(1.0 - static_cast<double>(occupied) / n, n); }

}  // namespace lorvenna
