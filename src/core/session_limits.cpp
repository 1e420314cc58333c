#include "core/session_limits.hpp"

#include <algorithm>
#include <string>

#include "core/program_end.hpp"

namespace lorvenna {

bool interrupted(const Io& io) {
    if (io.stop_requested != nullptr && *io.stop_requested != 0) return true;
    return io.poll_interrupt && io.poll_interrupt();
}

void end_interrupted() {
    end_program(exit_interrupted, " Run interrupted: the passes finished so far are complete in the report files");
}

void stop_if_requested(const Io& io, const RandomStream& random) {
    if (interrupted(io)) end_interrupted();
    if (io.max_uniform_draws > 0 && random.uniform_draws() > io.max_uniform_draws)
        end_program(exit_error, " Refused: more than " + std::to_string(io.max_uniform_draws) + " random draws");
}

std::uint32_t steps_between_checks(const Io& io) {
    constexpr std::uint64_t most = 65536u;
    if (io.max_uniform_draws == 0) return most;
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(io.max_uniform_draws / 16u, 64u, most));
}

}  // namespace lorvenna
