#include "input/settings_echo.hpp"

#include "core/console.hpp"
#include "numerics/fixed_field.hpp"

namespace lorvenna {

void print_settings_echo(Io& io, const Pass& pass) {
    const ParameterSet& p = pass.params;
    const DerivedValues& d = pass.derived;
    const double cells = static_cast<double>(d.grid_side) * static_cast<double>(d.grid_side);
    const double min_density = cells > 0.0 ? d.min_abundance / cells : 0.0;
    tell_fixed(io, "");
    tell_fixed(io, std::string(78, '-'));
    tell_fixed(io, int_field(d.max_sample, 8) + " " + int_field(d.min_sample, 8) + " " + int_field(p.StepSa, 8) + " " +
                      int_field(p.Sampfac, 8) + " " + blanks(9) + text_field(p.Method.text(), 3) + " " +
                      int_field(p.Permut, 8) + blanks(5) + text_field(pass.rank_order.model_type, 4) + " " +
                      real_field(p.HabGrad, 7, 4) + " " + text_field(p.Fractal.text(), 3));
    tell_fixed(io, int_field(p.SampA, 8) + " " + int_field(d.grid_side, 8) + " " + int_field(p.Species, 8) + " " +
                      real_field(p.maxD, 8, 3) + " " + real_field(min_density, 12, 9) + " " +
                      real_field(p.Dfluc, 8, 3) + " " + real_field(p.Flucmy, 8, 3) + " " +
                      real_field(p.Flucvar, 7, 3));
    tell_fixed(io, text_field(p.DWD.text(), 8) + " " + text_field(p.SWD.text(), 8) + " " + int_field(p.Class, 8) + " " +
                      real_field(p.SWDmy, 8, 3) + " " + blanks(4) + real_field(p.SWDvar, 8, 3) + " " +
                      real_field(pass.rank_order.z, 8, 4) + " " + real_field(p.DWDmy, 8, 3) + " " +
                      real_field(p.DWDvar, 7, 3));
}

}  // namespace lorvenna
