#pragma once
// What a run shows and asks in an R session: a progress bar on the console's
// error stream, and R's own interrupt check (Ctrl-C, Esc in a GUI) for the
// engine to poll.  Both are called on R's main thread only: the package runs
// its passes one after the other.
#include <chrono>

#include "core/progress.hpp"

namespace lorvenna_r {

class ProgressBar : public lorvenna::ProgressListener {
public:
    void planned(long long passes) override;
    void pass_started(int run, long long row, int replicate) override;
    void species_placed(int run, int placed, int species) override;
    void pass_finished(int run, long long row, int replicate) override;
    void clear() override;
    void finished() override;

private:
    void draw(bool force);
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now(), last_drawn_{};
    long long planned_ = 0, finished_ = 0;
    double in_pass_ = 0.0;  // share of the current pass done
    bool shown_ = false;    // a bar is on the current line
};

// True when the user asked R to stop since the last call; looks at most
// every 50 ms, so a caller may ask as often as it likes.
class InterruptCheck {
public:
    bool operator()();

private:
    std::chrono::steady_clock::time_point last_{};
    bool requested_ = false;
};

}  // namespace lorvenna_r
