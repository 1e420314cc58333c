#include "landscape/model_start.hpp"

#include <cmath>

#include "numerics/rounding.hpp"

namespace lorvenna {

void start_model(WorkArea& wa) {
    ParameterSet& p = wa.params;
    DerivedValues& d = wa.derived;

    // For midpoint displacement the fractal dimension D (2..3) becomes the
    // Hurst exponent H = 3 - D.  The settings block, written before, shows D.
    if (p.Fractal == keyword("rmd")) p.Scale1 = 3.0f - p.Scale1;

    // Niche level K: half the mean number of niches, rounded; it replaces NicheNo.
    d.niche_level = static_cast<float>(nearest<std::int64_t>(p.NicheNo / 2.0f));
    p.NicheNo = d.niche_level;
    d.niche_phase = static_cast<float>(wa.random.uniform());

    // A heterogeneity factor fixed for the whole model; with "rnd" each species
    // draws its own before placement and the model keeps the last one meanwhile.
    if (p.RndHet != keyword("rnd")) d.heterogeneity = static_cast<float>(wa.random.normal());

    // Superposition terms: enough powers of Scale1 to span the grid, at most 20.
    d.term_count = 1;
    if (p.Scale1 > 1.0f) {
        const float side = static_cast<float>(p.Areal > 0 ? p.Areal : 1);
        const float quotient = std::log(side) / std::log(p.Scale1);
        const std::int64_t whole = trunc_to<std::int64_t>(quotient);
        d.term_count = whole >= 19 ? 20 : (whole < 0 ? 1 : static_cast<int>(whole) + 1);
    }
}

}  // namespace lorvenna
