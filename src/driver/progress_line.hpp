#pragma once
// How far a long command is and how long it will take, on standard error.
// On a terminal: one line rewritten in place, at most ten times a second,
// with the steps done of the steps to do, the elapsed time, the time left and
// the steps under way.  In a log (standard error is no terminal, or plain
// lines were asked for): one plain line per finished step and no carriage
// returns, so that a cluster log stays readable.
//
// A session's passes reach the line through the ProgressListener calls.  Any
// other long command counts its own steps: plan() them, step_started() and
// step_finished() each (from any thread), finished() at the end.  Whatever
// else it prints meanwhile goes through a SharedScreen (StandardErrorProgress
// sets that up for the real program), so that nothing mixes with the line.
#include <memory>
#include <mutex>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "core/io_seam.hpp"
#include "core/progress.hpp"

namespace lorvenna {

enum class ProgressStyle { off, terminal, plain };

// What the line calls the things it counts.
struct ProgressWords {
    std::string one = "run";       // a finished step, in a plain line: "run 17/600 row 9 replicate 2 done in 3.4 s"
    std::string many = "runs";     // steps, on the terminal: "17/600 runs done"
    std::string item = "species";  // what a step is made of: "species 31/120"
};

struct ProgressSettings {
    ProgressStyle style = ProgressStyle::terminal;
    ProgressWords words;
    int width = 80;           // columns of the terminal: the line stops short of the last one
    double silent_for = 0.0;  // nothing shows before this many seconds: a short command shows nothing
};

class ProgressLine : public ProgressListener, public StepListener {
public:
    // Writes to `screen` (standard error); `clock` gives the seconds.
    ProgressLine(std::streambuf& screen, ProgressSettings settings, SecondsClock clock);

    // The steps to do; `work` is their total weight when they differ in size
    // (bytes to copy, say), 0 when every step weighs one.
    void plan(long long steps, double work = 0.0) override;
    void step_started(long long id, std::string label) override;
    // How far the step is inside: `done` of its `of` items.
    void step_advanced(long long id, long long done, long long of) override;
    void step_finished(long long id, double work = 1.0) override;

    // A session's passes are the steps.
    void planned(long long passes) override;
    void pass_started(int run, long long row, int replicate) override;
    void species_placed(int run, int placed, int species) override;
    void pass_finished(int run, long long row, int replicate) override;
    void clear() override;
    // Clears the line; the next plan() starts a fresh count.
    void finished() override;

    // Writes whole lines of other output to `to`, which may show on the same
    // screen: the line is cleared first and comes back at the next step.
    void print_above(std::streambuf& to, std::string_view lines);

private:
    struct Step {
        long long id = 0;
        std::string label;
        double started = 0.0;
        long long done = 0, of = 0;
    };
    Step* find(long long id);
    void show(double now);
    void write(std::string_view text);
    std::optional<double> seconds_left(double now) const;
    std::string terminal_text(double now) const;
    std::string plain_text(const Step& step, double now) const;

    std::mutex mutex_;
    std::streambuf& screen_;
    const ProgressSettings settings_;
    const SecondsClock clock_;
    const double origin_;
    long long planned_ = 0, done_ = 0;
    double planned_work_ = 0.0, done_work_ = 0.0;
    double first_start_ = -1.0;  // when the first step started: the pace leaves out what came before
    std::vector<Step> steps_;    // under way
    double last_draw_ = -1.0e9;
    bool shown_ = false;         // the line is on the screen
    bool stale_ = false;         // the count changed since the line was drawn
};

// A stream buffer for output that shares the screen with a progress line
// (standard error; standard output on the same terminal).  It passes whole
// lines on, each with the line out of its way; a line written in pieces
// (an unbuffered stream flushes after every piece) goes out whole.
class SharedScreen : public std::streambuf {
public:
    SharedScreen(ProgressLine& line, std::streambuf& to) : line_(line), to_(to) {}
    ~SharedScreen() override;
    SharedScreen(const SharedScreen&) = delete;
    SharedScreen& operator=(const SharedScreen&) = delete;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    void pass_on(bool everything);
    ProgressLine& line_;
    std::streambuf& to_;
    std::string pending_;
};

}  // namespace lorvenna
