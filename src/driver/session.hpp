#pragma once
// One execution of the program: start-up, the main loop over parameter sets,
// and the orderly end that every way out goes through.
#include <cstdint>
#include <optional>

#include "driver/io_seam.hpp"

namespace lorvenna {

// Runs a whole session on the given console and directory; returns the exit status.
// Without a seed word the stream is seeded from the clock.
int run_session(Io& io, std::optional<std::uint32_t> seed);

}  // namespace lorvenna
