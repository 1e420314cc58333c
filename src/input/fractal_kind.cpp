#include "input/fractal_kind.hpp"

#include <string>

#include "core/console.hpp"
#include "core/text_records.hpp"

namespace lorvenna {

void warn_if_no_fractal_grid(Io& io, const ParameterSet& p) {
    if (!(p.AreaHet > 0.0f) || p.Fractal.kind() != FractalKind::other) return;
    std::string kind = printable(p.Fractal.text());
    while (!kind.empty() && kind.back() == ' ') kind.pop_back();
    warn(io, "No fractal grid is built: the kind \"" + kind +
                "\" is none of rmd, dsq and super, so the habitat stays flat whatever its heterogeneity");
}

}  // namespace lorvenna
