#pragma once
// Every end of the program other than the normal end of the main loop unwinds
// to the driver as a ProgramEnd, which then closes the files, prints the
// run-time report and sets the exit status.  The message (if any) is printed
// on the console first.
#include <string>

namespace lorvenna {

struct ProgramEnd {
    int status = 0;        // exit status of the session
    std::string message;   // console line(s) printed before the orderly end, may be empty
};

inline constexpr int exit_ok = 0;
inline constexpr int exit_error = 1;      // bad input, failed check, failed file
inline constexpr int exit_usage = 2;      // bad command-line option
inline constexpr int exit_interrupted = 130;

[[noreturn]] inline void end_program(int status, std::string message = {}) {
    throw ProgramEnd{status, std::move(message)};
}

}  // namespace lorvenna
