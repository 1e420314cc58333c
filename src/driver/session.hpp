#pragma once
// One execution of the program: start-up, the main loop over parameter sets,
// and the orderly end that every way out goes through.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/io_seam.hpp"
#include "data/session_options.hpp"
#include "batch/batch_check.hpp"
#include "data/session.hpp"

namespace lorvenna {

// Called with the session at its end (the benchmarks read its times and draws).
using SessionObserver = std::function<void(const Session&)>;

// Runs a whole session on the given console and directory, with the start-up
// answers and outputs the options ask for; returns the exit status.  Without a
// seed word the stream is seeded from the clock.
int run_session(Io& io, const SessionOptions& options, const SessionObserver& on_end = {});
// The faults a scripted batch run with these options would be refused for
// before its first pass (its rows, their checks, the memory guard, the
// rank-order blocks), each with the line, the message and the failed
// parameter's column: what the R and Python packages report.
std::vector<RowFault> batch_faults(Io& io, const SessionOptions& options);

// A seed word from the clock, for a session run without --seed.
std::uint32_t clock_seed_word();

// A session that asks every start-up question on the console.
int run_session(Io& io, std::optional<std::uint32_t> seed, const SessionObserver& on_end = {});

}  // namespace lorvenna
