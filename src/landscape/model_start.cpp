#include "landscape/model_start.hpp"

#include <cmath>

#include "numerics/rounding.hpp"

namespace lorvenna {

float fractal_coefficient(const ParameterSet& p) { return is_midpoint_grid(p.Fractal.kind()) ? 3.0f - p.Scale1 : p.Scale1; }

float niche_level(const ParameterSet& p) { return static_cast<float>(nearest<std::int64_t>(p.NicheNo / 2.0f)); }

void start_model(const ParameterSet& p, DerivedValues& d, RandomStream& random, const std::optional<float>& given) {
    // For midpoint displacement the fractal dimension D (2..3) becomes the
    // Hurst exponent H = 3 - D.  The settings block shows D.
    d.fractal_coefficient = fractal_coefficient(p);

    d.niche_level = niche_level(p);
    d.niche_phase = static_cast<float>(random.uniform());

    // A heterogeneity factor fixed for the whole model; with "rnd" each species
    // draws its own before placement and the model keeps the last one meanwhile.
    if (p.RndHet != Heterogeneity::random) {
        const auto drawn = static_cast<float>(random.normal());
        d.heterogeneity = given ? *given : drawn;
    }

    // Superposition terms: enough powers of the coefficient to span the grid, at most 20.
    d.term_count = 1;
    if (d.fractal_coefficient > 1.0f) {
        const float side = static_cast<float>(d.grid_side > 0 ? d.grid_side : 1);
        const float quotient = std::log(side) / std::log(d.fractal_coefficient);
        const std::int64_t whole = trunc_to<std::int64_t>(quotient);
        d.term_count = whole >= 19 ? 20 : (whole < 0 ? 1 : static_cast<int>(whole) + 1);
    }
}

}  // namespace lorvenna
