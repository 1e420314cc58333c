#pragma once
#include <cstdint>

#include "core/io_seam.hpp"

namespace lorvenna {

// The start banner: a 55-character frame with the program's name, purpose,
// version and the seed word in use.
void print_banner(Io& io, std::uint32_t seed);

}  // namespace lorvenna
