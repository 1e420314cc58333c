#pragma once
// The progress line of the program on the terminal: the one place that
// reaches for the process's standard streams, so the R and Python packages,
// which show progress their own way, build without it.
#include <memory>
#include <streambuf>

#include "driver/progress_line.hpp"

namespace lorvenna {

// The progress line of the real program on standard error.  While it lives,
// std::cerr (and std::cout when standard output is a terminal as well) goes
// around the line; both streams are given back when it goes.
class StandardErrorProgress {
public:
    // `wanted` false: no line at all.  `plain`: plain lines even on a terminal.
    StandardErrorProgress(bool wanted, bool plain, ProgressWords words, double silent_for, SecondsClock clock);
    ~StandardErrorProgress();
    StandardErrorProgress(const StandardErrorProgress&) = delete;
    StandardErrorProgress& operator=(const StandardErrorProgress&) = delete;
    // nullptr when no line is shown.
    ProgressLine* line() const { return line_.get(); }

private:
    std::unique_ptr<ProgressLine> line_;
    std::unique_ptr<SharedScreen> errors_, console_;
    std::streambuf* old_errors_ = nullptr;
    std::streambuf* old_console_ = nullptr;
};

}  // namespace lorvenna
