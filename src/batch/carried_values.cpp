#include "batch/carried_values.hpp"

namespace lorvenna {

ParameterSet carried_parameters(const ParameterSet& given, const DerivedValues& used) {
    ParameterSet next = given;
    next.Areal = used.grid_side;
    next.maxSa = used.max_sample;
    next.minSa = used.min_sample;
    next.Species = used.species;
    next.Class = used.classes;
    next.SWDmy = used.swd_mean;
    next.SWDvar = used.swd_sd;
    next.Scale1 = used.fractal_coefficient;
    next.NicheNo = used.niche_level;
    return next;
}

}  // namespace lorvenna
