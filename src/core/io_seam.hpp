#pragma once
// The one seam between the program and the machine: console input, console
// output, the output directory and the file system beneath it.  The real
// program passes std::cin, std::cout and the working directory; tests pass
// string streams, a temporary directory and, to inject faults, a file system
// whose streams fail.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "core/progress.hpp"

namespace lorvenna {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates or empties a report file; nullptr when it cannot be written.
    virtual std::unique_ptr<std::ostream> create(const std::filesystem::path& path);
    // Opens a report file to write at its end; nullptr when it cannot be written.
    virtual std::unique_ptr<std::ostream> append(const std::filesystem::path& path);
    // Opens an existing input file; nullptr when it does not exist or cannot be read.
    virtual std::unique_ptr<std::istream> open_existing(const std::filesystem::path& path);
    // Why an input file cannot be opened, in the system's words ("No such file or directory").
    virtual std::string open_failure(const std::filesystem::path& path);
};

// Seconds elapsed since the session started, for the run-time report.
using ElapsedClock = std::function<long long()>;
ElapsedClock steady_elapsed_clock();
// Seconds since the clock was made, to a fraction of a second: what a progress
// line measures its runs and its pace with.
using SecondsClock = std::function<double()>;
SecondsClock steady_seconds_clock();

struct Io {
    Io(std::istream& console_in, std::ostream& console_out, std::filesystem::path directory, FileSystem& file_system)
        : in(console_in), out(console_out), dir(std::move(directory)), files(file_system) {}
    // The same seam on another console and file system, every setting kept:
    // a pass run beside others keeps its output in memory until its turn.
    // (Every member below but the three streams is taken from `like`.)
    Io(const Io& like, std::istream& console_in, std::ostream& console_out, FileSystem& file_system)
        : in(console_in),
          out(console_out),
          dir(like.dir),
          files(file_system),
          elapsed(like.elapsed),
          stop_requested(like.stop_requested),
          max_pass_bytes(like.max_pass_bytes),
          max_individuals(like.max_individuals),
          max_uniform_draws(like.max_uniform_draws),
          input_dir(like.input_dir),
          messages(like.messages),
          quiet(like.quiet),
          progress(like.progress),
          poll_interrupt(like.poll_interrupt),
          clock(like.clock) {}

    std::istream& in;
    std::ostream& out;
    std::filesystem::path dir;  // where the report files and tables go
    FileSystem& files;
    ElapsedClock elapsed = steady_elapsed_clock();
    // Set from a signal handler: the session ends in order at the next species or pass.
    const volatile int* stop_requested = nullptr;
    // Caps on the size of a pass (0: the machine's memory, no cap on individuals).
    // A harness that must run every input in milliseconds refuses larger passes
    // through them; below the caps nothing changes.
    std::uint64_t max_pass_bytes = 0;
    double max_individuals = 0.0;
    std::uint64_t max_uniform_draws = 0;  // checked between species
    // Where the batch and rank-order files named by the user are looked for;
    // empty: the output directory.
    std::filesystem::path input_dir = {};
    // Where warnings and error messages go (nullptr: the console); a scripted
    // run sends them to standard error.
    std::ostream* messages = nullptr;
    // No banner, settings echo, per-row or per-species lines; prompts, warnings
    // and errors still appear.
    bool quiet = false;
    // Told where the session is (nullptr: nobody asks).
    ProgressListener* progress = nullptr;
    // Asked now and then whether the user wants to stop, beside the signal
    // flag (an R session's interrupt, for instance); empty: only the flag.
    std::function<bool()> poll_interrupt = nullptr;
    // The clock of whoever shows progress (tests pass one they move themselves).
    SecondsClock clock = steady_seconds_clock();

    std::filesystem::path output_path(const std::string& name) const {
        std::filesystem::path p(name);
        return p.is_absolute() ? p : dir / p;
    }
    std::filesystem::path input_path(const std::string& name) const {
        std::filesystem::path p(name);
        return p.is_absolute() ? p : (input_dir.empty() ? dir : input_dir) / p;
    }
};

FileSystem& real_file_system();

}  // namespace lorvenna
