#pragma once
// What a pass would ask of the machine, looked at before it asks.
#include <cstdint>
#include <vector>

#include "core/io_seam.hpp"
#include "data/parameters.hpp"
#include "data/species.hpp"

namespace lorvenna {

// Bytes the arrays of one pass need for the parameter set and its derived values.
std::uint64_t pass_memory_bytes(const ParameterSet& p, const DerivedValues& d, bool sampling);
// Ends the session with a message naming the sizes when the arrays of the
// pass would not fit in this machine's memory (or the session's cap).
void check_pass_resources(const Io& io, const ParameterSet& p, const DerivedValues& d, bool sampling);
// Individuals the placement will put on the grid (all species), and the most of one species.
double individuals_to_place(const std::vector<SpeciesRow>& species, bool relative, double smallest, double* largest);
// Ends the session when one species would bring more individuals than a cell
// count can hold, or when the session's cap on individuals is exceeded.
void check_individuals_to_place(const Io& io, const ParameterSet& p, const DerivedValues& d,
                                const std::vector<SpeciesRow>& species);

}  // namespace lorvenna
