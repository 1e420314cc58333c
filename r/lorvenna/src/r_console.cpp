#include "r_console.h"

#include <R.h>
#include <R_ext/Print.h>
#include <Rinternals.h>

#include <algorithm>
#include <string>

namespace lorvenna_r {
namespace {

constexpr int bar_width = 40;
constexpr auto first_show = std::chrono::milliseconds(300);  // quick runs show no bar
constexpr auto redraw = std::chrono::milliseconds(100);

void check_interrupt(void*) { R_CheckUserInterrupt(); }

}  // namespace

void ProgressBar::planned(long long passes) {
    planned_ = passes;
    draw(false);
}

void ProgressBar::pass_started(int, long long, int) {
    in_pass_ = 0.0;
    draw(false);
}

void ProgressBar::species_placed(int, int placed, int species) {
    in_pass_ = species > 0 ? static_cast<double>(placed) / species : 0.0;
    draw(false);
}

void ProgressBar::pass_finished(int, long long, int) {
    ++finished_;
    in_pass_ = 0.0;
    draw(false);
}

void ProgressBar::clear() {
    if (!shown_) return;
    REprintf("\r%*s\r", bar_width + 32, "");
    shown_ = false;
    last_drawn_ = {};
}

void ProgressBar::finished() { clear(); }

void ProgressBar::draw(bool force) {
    if (planned_ <= 0) return;
    const auto now = Clock::now();
    if (!force && (now - start_ < first_show || now - last_drawn_ < redraw)) return;
    last_drawn_ = now;
    const double done = std::clamp((static_cast<double>(finished_) + in_pass_) / static_cast<double>(planned_), 0.0, 1.0);
    const int filled = static_cast<int>(done * bar_width);
    std::string bar(static_cast<std::size_t>(filled), '=');
    if (filled < bar_width) bar += '>';
    bar.resize(bar_width, ' ');
    const long long current = std::min(finished_ + 1, planned_);
    REprintf("\r  [%s] %3d%%  pass %lld of %lld", bar.c_str(), static_cast<int>(done * 100.0), current, planned_);
    R_FlushConsole();
    shown_ = true;
}

bool InterruptCheck::operator()() {
    if (requested_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(50)) return false;
    last_ = now;
    // R_CheckUserInterrupt jumps out of its caller on an interrupt; run at the
    // top level, the jump ends only this call, and the run can stop in order.
    requested_ = !R_ToplevelExec(check_interrupt, nullptr);
    return requested_;
}

}  // namespace lorvenna_r
