#include "input/derived_values.hpp"

#include <cmath>

#include "core/console.hpp"
#include "numerics/constants.hpp"
#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"
#include "sampling/sampling_designs.hpp"

namespace lorvenna {

long long rmd_grid_side(long long side) {
    // The divisor is ln 2 in single precision, slightly above ln 2: a side of 2
    // gives a quotient just below 1, so 2 becomes 3 like 1 does.
    const double quotient = std::log(static_cast<double>(side < 1 ? 1 : side)) / static_cast<double>(ln2_single);
    const long long k = trunc_to<long long>(quotient) + 1;
    if (k >= 62) return -1;  // beyond any grid that could be stored
    return (1LL << k) + 1;
}

int grid_side_for(const ParameterSet& p) {
    if (!is_midpoint_grid(p.Fractal.kind())) return p.Areal;
    const long long side = rmd_grid_side(p.Areal);
    return (side < 0 || side > count_limit) ? static_cast<int>(count_limit) : static_cast<int>(side);
}

void print_rescaling(Io& io, int side) {
    tell_fixed(io, "Gridsize rescaled to " + int_field(side, 5) + " x" + int_field(side, 5));
}

void clamp_fractal_dimension(ParameterSet& p) {
    if (!is_midpoint_grid(p.Fractal.kind())) return;
    if (p.Scale1 < 2.0f) p.Scale1 = 2.0f;
    if (p.Scale1 > 3.0f) p.Scale1 = 3.0f;
}

void derive_densities(const ParameterSet& p, DerivedValues& d) {
    const double side = static_cast<double>(d.grid_side);
    const double cells = side * side;
    d.max_individuals = p.maxD > 0.0f ? side * p.maxD * side : static_cast<double>(default_max_individuals);
    if (p.minD >= 0.0f && p.maxD > 0.0f && 1.0 / cells > p.minD)
        d.min_abundance = 1.0f;
    else if (p.minD == 0.0f && p.maxD == 0.0f)
        d.min_abundance = vanishing_min_abundance;
    else
        d.min_abundance = static_cast<float>(side * p.minD * side);
}

void derive_sample_sizes(const ParameterSet& p, DerivedValues& d, bool clamp_to_design) {
    if (!clamp_to_design) {
        d.max_sample = p.maxSa;
        d.min_sample = p.minSa;
        return;
    }
    const SampleSizes sizes = clamped_sample_sizes(p);
    d.max_sample = sizes.max;
    d.min_sample = sizes.min;
}

}  // namespace lorvenna
