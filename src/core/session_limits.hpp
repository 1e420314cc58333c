#pragma once
// Interrupts and the caps a caller may set on a session, looked at between
// species and passes and now and then inside long loops.
#include <cstdint>

#include "core/io_seam.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// Whether the user asked the session to stop (SIGINT, SIGTERM).
bool interrupted(const Io& io);
// Ends the session in order with the interrupt's status and message.
[[noreturn]] void end_interrupted();

// Ends the session in order when the user interrupted it (SIGINT, SIGTERM)
// or when the session's cap on random draws is passed.
void stop_if_requested(const Io& io, const RandomStream& random);

// Steps of a long loop (cell choices, centre redraws) between two calls of
// stop_if_requested: 65536, or fewer under a cap on random draws, so that the
// cap is held to within about a sixteenth of itself.
std::uint32_t steps_between_checks(const Io& io);

}  // namespace lorvenna
