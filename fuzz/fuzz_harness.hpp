#pragma once
// Shared pieces of the fuzz targets: a console over the input bytes and input
// and report files in memory.
#include <cstddef>
#include <sstream>
#include <string>

#include "driver/session.hpp"
#include "support/memory_files.hpp"

namespace lorvenna::fuzzing {

// Report files hold at most report_capacity bytes each and then fail like a
// full disk, so that a pass which would write megabytes ends early through
// the program's own write-failure path (fuzzed along the way).
inline constexpr std::size_t report_capacity = std::size_t{1} << 18;

// Small caps so that every input runs in milliseconds: larger passes are refused.
inline void cap_pass_sizes(Io& io) {
    io.max_pass_bytes = 1u << 16;
    io.max_individuals = 500.0;
    io.max_uniform_draws = 25000;
}

// Runs one whole session on the given console answers and in-memory files, under the caps.
inline void run_capped_session(testing::MemoryFiles& files, const std::string& answers) {
    files.default_capacity = report_capacity;
    std::istringstream in(answers);
    std::ostringstream out;
    Io io{in, out, ".", files};
    io.elapsed = [] { return 0LL; };
    cap_pass_sizes(io);
    run_session(io, 12345);
}

}  // namespace lorvenna::fuzzing
