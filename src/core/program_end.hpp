#pragma once
// Every end of the program other than its normal end (the last pass run, the
// end of the batch file or of the rank-order blocks) unwinds to the driver as
// a ProgramEnd: an error, a refused input, an interrupt.  The driver then
// closes the files, prints the run-time report and sets the exit status.  The
// message (if any) is printed on the console first.
#include <string>

namespace lorvenna {

struct ProgramEnd {
    int status = 0;        // exit status of the session
    std::string message;   // console line(s) printed before the orderly end, may be empty
    std::string cause;     // for callers that act on it: what failed, by name (a batch column); may be empty
};

inline constexpr int exit_ok = 0;
inline constexpr int exit_error = 1;      // bad input, failed check, failed file
inline constexpr int exit_usage = 2;      // bad command-line option
inline constexpr int exit_interrupted = 130;

[[noreturn]] inline void end_program(int status, std::string message = {}, std::string cause = {}) {
    throw ProgramEnd{status, std::move(message), std::move(cause)};
}

}  // namespace lorvenna
