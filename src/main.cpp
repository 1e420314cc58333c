// Lorvenna: virtual assemblages of species on a grid, sampled as a field
// ecologist would.  The program's console is the terminal and its reports go
// to the working directory.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/console_input.hpp"
#include "driver/command_line.hpp"
#include "driver/session.hpp"

namespace {

// Set by SIGINT or SIGTERM; the session ends in order at the next pass or species.
volatile std::sig_atomic_t stop_signal = 0;

extern "C" void request_stop(int) { stop_signal = 1; }

}  // namespace

int main(int argc, char** argv) {
    using namespace lorvenna;
    const CommandLine cl = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    switch (cl.action) {
        case CommandLine::Action::help: std::cout << usage_text(); return 0;
        case CommandLine::Action::version: std::cout << version_text(); return 0;
        case CommandLine::Action::usage_error:
            std::cerr << "lorvenna: " << cl.error << "\n\n" << usage_text();
            return 2;
        case CommandLine::Action::run: break;
    }
    std::signal(SIGINT, request_stop);
    std::signal(SIGTERM, request_stop);
    std::ios::sync_with_stdio(false);
    // Console answers through a reader that gives up when a signal asks to stop.
    InterruptibleInput console_input(0, &stop_signal);
    std::istream console(&console_input);
    std::error_code no_directory;
    const std::filesystem::path here = std::filesystem::current_path(no_directory);
    if (no_directory) {
        std::cerr << "lorvenna: the working directory cannot be read: " << no_directory.message() << "\n";
        return 1;
    }
    Io io{console, std::cout, here, real_file_system()};
    io.stop_requested = &stop_signal;
    return run_session(io, cl.seed);
}
