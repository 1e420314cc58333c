// Lorvenna: virtual assemblages of species on a grid, sampled as a field
// ecologist would.  The program's console is the terminal; its reports go to
// the working directory or to the folder --out names.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "core/console_input.hpp"
#include "driver/standard_error_progress.hpp"
#include "driver/command_line.hpp"
#include "driver/estimate_command.hpp"
#include "sweeps/bias_command.hpp"
#include "sweeps/merge.hpp"
#include "driver/session.hpp"

namespace {

// Set by SIGINT or SIGTERM; the session ends in order at the next prompt, pass or species.
volatile std::sig_atomic_t stop_signal = 0;

extern "C" void request_stop(int) { stop_signal = 1; }

int usage_error(const std::string& error) {
    std::cerr << "lorvenna: " << error << "\n\n" << lorvenna::usage_text();
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lorvenna;
    const CommandLine cl = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    switch (cl.action) {
        case CommandLine::Action::help: std::cout << usage_text(); return 0;
        case CommandLine::Action::version: std::cout << version_text(); return 0;
        case CommandLine::Action::usage_error: return usage_error(cl.error);
        case CommandLine::Action::merge: {
            // A merge of a few small folders is over before a line would help.
            StandardErrorProgress progress(!cl.options.quiet, cl.options.progress, {"copy", "copies", "file"}, 1.0,
                                           steady_seconds_clock());
            return merge_folders(cl.merge_into, cl.merge_from, cl.allow_gaps, std::cout, std::cerr, progress.line());
        }
        case CommandLine::Action::bias: {
            StandardErrorProgress progress(!cl.options.quiet, cl.options.progress, {"table", "tables", "row"}, 1.0,
                                           steady_seconds_clock());
            return summarise_bias(cl.bias_of, cl.bias_quantity, std::cout, std::cerr, progress.line());
        }
        case CommandLine::Action::estimate: {
            std::error_code no_directory;
            const std::filesystem::path here = std::filesystem::current_path(no_directory);
            const std::filesystem::path out = std::filesystem::path(*cl.options.out).is_absolute()
                                                  ? std::filesystem::path(*cl.options.out)
                                                  : here / *cl.options.out;
            std::error_code cannot;
            std::filesystem::create_directories(out, cannot);
            if (no_directory || cannot) {
                std::cerr << "lorvenna: cannot create the output folder " << *cl.options.out << "\n";
                return 1;
            }
            std::istringstream no_answers;
            Io io{no_answers, std::cout, out, real_file_system()};
            io.input_dir = here;
            io.messages = &std::cerr;
            io.quiet = cl.options.quiet;
            return run_estimate_command(io, cl.estimate);
        }
        case CommandLine::Action::run: break;
    }
    const SessionOptions& options = cl.options;
    std::error_code no_directory;
    const std::filesystem::path here = std::filesystem::current_path(no_directory);
    if (no_directory) {
        std::cerr << "lorvenna: the working directory cannot be read: " << no_directory.message() << "\n";
        return 1;
    }
    if (const std::string missing = check_files(options, real_file_system(), here); !missing.empty())
        return usage_error(missing);
    std::filesystem::path out = here;
    if (options.out) {
        out = std::filesystem::path(*options.out).is_absolute() ? std::filesystem::path(*options.out) : here / *options.out;
        std::error_code cannot;
        std::filesystem::create_directories(out, cannot);
        if (cannot) {
            std::cerr << "lorvenna: cannot create the output folder " << *options.out << ": " << cannot.message() << "\n";
            return 1;
        }
    }

    std::signal(SIGINT, request_stop);
    std::signal(SIGTERM, request_stop);
    std::ios::sync_with_stdio(false);
    // Console answers through a reader that gives up when a signal asks to stop.
    InterruptibleInput console_input(0, &stop_signal);
    std::istream console(&console_input);
    Io io{console, std::cout, out, real_file_system()};
    io.input_dir = here;
    io.stop_requested = &stop_signal;
    io.quiet = options.quiet;
    if (options.scripted() || options.quiet) io.messages = &std::cerr;
    // A scripted run that makes passes shows their progress; the dialogue stays as it is.
    const bool passes = options.scripted() && *options.mode != keyword("b") && !options.check;
    StandardErrorProgress progress(passes && !options.quiet, options.progress, ProgressWords{}, 0.0, io.clock);
    io.progress = progress.line();
    return run_session(io, options);
}
