// Lorvenna: virtual assemblages of species on a grid, sampled as a field
// ecologist would.  The program's console is the terminal and its reports go
// to the working directory.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

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
    Io io{std::cin, std::cout, std::filesystem::current_path(), real_file_system()};
    io.stop_requested = &stop_signal;
    return run_session(io, cl.seed);
}
