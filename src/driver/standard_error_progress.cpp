#include "driver/standard_error_progress.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string_view>

namespace lorvenna {

StandardErrorProgress::StandardErrorProgress(bool wanted, bool plain, ProgressWords words, double silent_for,
                                             SecondsClock clock) {
    if (!wanted) return;
    const char* term = std::getenv("TERM");
    const bool dumb = term != nullptr && std::string_view(term) == "dumb";  // cannot rewrite a line
    const bool terminal = !plain && !dumb && ::isatty(STDERR_FILENO) == 1;
    ProgressSettings settings;
    settings.style = terminal ? ProgressStyle::terminal : ProgressStyle::plain;
    settings.words = std::move(words);
    settings.silent_for = silent_for;
    winsize size{};
    if (terminal && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) settings.width = size.ws_col;
    old_errors_ = std::cerr.rdbuf();
    line_ = std::make_unique<ProgressLine>(*old_errors_, std::move(settings), std::move(clock));
    errors_ = std::make_unique<SharedScreen>(*line_, *old_errors_);
    std::cerr.rdbuf(errors_.get());
    if (terminal && ::isatty(STDOUT_FILENO) == 1) {
        old_console_ = std::cout.rdbuf();
        console_ = std::make_unique<SharedScreen>(*line_, *old_console_);
        std::cout.rdbuf(console_.get());
    }
}

StandardErrorProgress::~StandardErrorProgress() {
    if (!line_) return;
    std::cout.flush();
    std::cerr.flush();
    line_->clear();
    if (old_console_ != nullptr) std::cout.rdbuf(old_console_);
    std::cerr.rdbuf(old_errors_);
}

}  // namespace lorvenna
