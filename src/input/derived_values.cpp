#include "input/derived_values.hpp"

#include <cmath>

#include "input/console.hpp"
#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {

long long rmd_grid_side(long long side) {
    // The divisor is ln 2 in single precision, slightly above ln 2: a side of 2
    // gives a quotient just below 1, so 2 becomes 3 like 1 does.
    const double quotient = std::log(static_cast<double>(side < 1 ? 1 : side)) / ln2_single;
    const long long k = trunc_to<long long>(quotient) + 1;
    if (k >= 62) return -1;  // beyond any grid that could be stored
    return (1LL << k) + 1;
}

void rescale_grid_for_rmd(WorkArea& wa) {
    if (wa.params.Fractal != keyword("rmd")) return;
    const long long side = rmd_grid_side(wa.params.Areal);
    wa.params.Areal = (side < 0 || side > 2147483647LL) ? 2147483647 : static_cast<int>(side);
    say_fixed(wa, "Gridsize rescaled to " + int_field(wa.params.Areal, 5) + " x" +
                      int_field(wa.params.Areal, 5));
}

void clamp_fractal_dimension(ParameterSet& p) {
    if (p.Fractal != keyword("rmd")) return;
    if (p.Scale1 < 2.0f) p.Scale1 = 2.0f;
    if (p.Scale1 > 3.0f) p.Scale1 = 3.0f;
}

void derive_densities(WorkArea& wa) {
    const ParameterSet& p = wa.params;
    const double cells = static_cast<double>(p.Areal) * static_cast<double>(p.Areal);
    wa.derived.max_individuals = p.maxD > 0.0f ? static_cast<double>(p.Areal) * p.maxD * p.Areal : 1.0e8;
    if (p.minD >= 0.0f && p.maxD > 0.0f && 1.0 / cells > p.minD)
        wa.derived.min_abundance = 1.0f;
    else if (p.minD == 0.0f && p.maxD == 0.0f)
        wa.derived.min_abundance = 1.0e-12f;
    else
        wa.derived.min_abundance = static_cast<float>(static_cast<double>(p.Areal) * p.minD * p.Areal);
}

}  // namespace lorvenna
