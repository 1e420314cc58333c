#pragma once
#include "core/io_seam.hpp"
#include "data/pass.hpp"

namespace lorvenna {

// The settings echo on the console: an empty line, 78 dashes and three lines of values.
void print_settings_echo(Io& io, const Pass& pass);

}  // namespace lorvenna
