#include "driver/session_limits.hpp"

#include <algorithm>
#include <string>

#include "driver/program_end.hpp"

namespace lorvenna {

void stop_if_requested(WorkArea& wa) {
    if (wa.io.stop_requested != nullptr && *wa.io.stop_requested != 0)
        end_program(exit_interrupted, " Run interrupted: the passes finished so far are complete in the report files");
    if (wa.io.max_uniform_draws > 0 && wa.random.uniform_draws() > wa.io.max_uniform_draws)
        end_program(exit_error, " Refused: more than " + std::to_string(wa.io.max_uniform_draws) + " random draws");
}

std::uint32_t steps_between_checks(const WorkArea& wa) {
    constexpr std::uint64_t most = 65536u;
    if (wa.io.max_uniform_draws == 0) return most;
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(wa.io.max_uniform_draws / 16u, 64u, most));
}

}  // namespace lorvenna
