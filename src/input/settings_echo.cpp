#include "input/settings_echo.hpp"

#include "input/console.hpp"
#include "numerics/fixed_field.hpp"

namespace lorvenna {

void print_settings_echo(WorkArea& wa) {
    const ParameterSet& p = wa.params;
    const double cells = static_cast<double>(p.Areal) * static_cast<double>(p.Areal);
    const double min_density = cells > 0.0 ? wa.derived.min_abundance / cells : 0.0;
    say_fixed(wa, "");
    say_fixed(wa, std::string(78, '-'));
    say_fixed(wa, int_field(p.maxSa, 8) + " " + int_field(p.minSa, 8) + " " + int_field(p.StepSa, 8) + " " +
                      int_field(p.Sampfac, 8) + " " + blanks(9) + text_field(p.Method, 3) + " " +
                      int_field(p.Permut, 8) + blanks(5) + text_field(wa.rank_order.model_type, 4) + " " +
                      real_field(p.HabGrad, 7, 4) + " " + text_field(p.Fractal, 3));
    say_fixed(wa, int_field(p.SampA, 8) + " " + int_field(p.Areal, 8) + " " + int_field(p.Species, 8) + " " +
                      real_field(p.maxD, 8, 3) + " " + real_field(min_density, 12, 9) + " " +
                      real_field(p.Dfluc, 8, 3) + " " + real_field(p.Flucmy, 8, 3) + " " +
                      real_field(p.Flucvar, 7, 3));
    say_fixed(wa, text_field(p.DWD, 8) + " " + text_field(p.SWD, 8) + " " + int_field(p.Class, 8) + " " +
                      real_field(p.SWDmy, 8, 3) + " " + blanks(4) + real_field(p.SWDvar, 8, 3) + " " +
                      real_field(wa.rank_order.z, 8, 4) + " " + real_field(p.DWDmy, 8, 3) + " " +
                      real_field(p.DWDvar, 7, 3));
}

}  // namespace lorvenna
