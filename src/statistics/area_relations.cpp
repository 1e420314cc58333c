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

    const LineFit power = log_log_fit(area, species, start);
    if (power.made && std::isfinite(std::exp(power.intercept))) {
        f.power_c = std::exp(power.intercept);
        f.power_z = power.slope;
        f.power_explained = power.explained;
        f.power_made = true;
        f.power_explained_made = power.explained_made;
    }

    std::vector<double> lx, s;
    for (std::size_t i = start; i < area.size() && i < species.size(); ++i) {
        if (area[i] > 0.0 && species[i] > 0.0) {
            lx.push_back(std::log(area[i]));
            s.push_back(species[i]);
        }
    }
    const LineFit semi_log = fit_line(lx, s);
    if (semi_log.made) {
        f.exp_a = semi_log.intercept;
        f.exp_b = semi_log.slope;
        f.exp_explained = semi_log.explained;
        f.exp_made = true;
        f.exp_explained_made = semi_log.explained_made;
    }

    // Endemics start where the species-area curve starts: a size without species
    // holds no endemics, and a size with species but no endemics is one
    // unloggable point, not the edge of the curve.
    const LineFit ear = log_log_fit(area, endemics, start);
    if (ear.made && std::isfinite(std::exp(ear.intercept))) {
        f.ear_c = std::exp(ear.intercept);
        f.ear_z = ear.slope;
        f.ear_explained = ear.explained;
        f.ear_made = true;
        f.ear_explained_made = ear.explained_made;
    }
    return f;
}

double bootstrap_term(int occupied, int n) { return std::pow(1.0 - static_cast<double>(occupied) / n, n); }

}  // namespace lorvenna
