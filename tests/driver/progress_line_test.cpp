// The progress line on a clock the tests move themselves.
#include "driver/progress_line.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/terminal_replay.hpp"

namespace lorvenna::testing {
namespace {

// A screen that keeps every write with the time on the fake clock when it came.
class RecordingScreen : public std::stringbuf {
public:
    explicit RecordingScreen(const double& now) : now_(now) {}
    std::vector<std::pair<double, std::string>> writes;
    std::string all;

protected:
    int sync() override {
        writes.emplace_back(now_, str());
        all += str();
        str("");
        return 0;
    }

private:
    const double& now_;
};

ProgressSettings settings(ProgressStyle style, int width = 200) {
    ProgressSettings s;
    s.style = style;
    s.width = width;
    return s;
}

TEST(ProgressLine, TerminalLineIsDrawnAtMostTenTimesASecondAndKeepsEveryCount) {
    double now = 0.0;
    RecordingScreen screen(now);
    ProgressLine line(screen, settings(ProgressStyle::terminal), [&now] { return now; });
    // Three passes of 0.15 s with a species every 5 ms: a count changes while
    // the line was drawn less than a tenth of a second ago.
    line.planned(3);
    for (int run = 1; run <= 3; ++run) {
        line.pass_started(run, 4, run);
        for (int sp = 1; sp <= 30; ++sp) {
            now += 0.005;
            line.species_placed(run, sp, 30);
        }
        line.pass_finished(run, 4, run);
    }
    line.finished();

    const std::string& all = screen.all;
    std::size_t at = 0;
    for (const std::string count : {"1/3 runs done", "2/3 runs done", "3/3 runs done"}) {
        at = all.find(count, at);
        EXPECT_NE(at, std::string::npos) << count << " never shown in " << all;
    }
    EXPECT_NE(all.find("| row 4 replicate 2, species "), std::string::npos);
    double last = -1.0;
    for (std::size_t i = 0; i + 1 < screen.writes.size(); ++i) {  // the last write clears the line
        EXPECT_GE(screen.writes[i].first - last, 0.1 - 1e-9) << "drawn again after " << screen.writes[i].first - last;
        last = screen.writes[i].first;
    }
    EXPECT_LE(screen.writes.size(), 7U);
    const TerminalRows rows = replay_terminal(all);
    EXPECT_TRUE(rows.past.empty());
    EXPECT_EQ(rows.current, "") << "the line is cleared at the end";
    EXPECT_EQ(all.find('\n'), std::string::npos);
}

TEST(ProgressLine, TerminalLineLeavesOutWholePiecesThatDoNotFit) {
    double now = 0.0;
    std::stringbuf screen;
    ProgressLine line(screen, settings(ProgressStyle::terminal, 55), [&now] { return now; });
    line.planned(600);
    line.pass_started(17, 9, 2);
    line.pass_started(18, 9, 3);
    now = 1.0;
    line.species_placed(17, 31, 120);
    const TerminalRows rows = replay_terminal(screen.str());
    // "species 3" of a line cut at the 54th column would mislead.
    EXPECT_EQ(rows.current, "0/600 runs done in 0:01 | row 9 replicate 2");
}

TEST(ProgressLine, PlainLinesOnePerFinishedRunWithItsTimeAndTheTimeLeft) {
    double now = 0.0;
    std::stringbuf log;
    ProgressLine line(log, settings(ProgressStyle::plain), [&now] { return now; });
    line.planned(4);
    now = 50.0;  // checking the batch file: no guide to the pace of the passes
    for (int run = 1; run <= 4; ++run) {
        line.pass_started(run, run, 1);
        for (int sp = 1; sp <= 10; ++sp) line.species_placed(run, sp, 10);
        now += 200.0;
        line.pass_finished(run, run, 1);
    }
    line.finished();
    EXPECT_EQ(log.str(),
              "run 1/4 row 1 replicate 1 done in 3 min 20 s, about 10 min left\n"
              "run 2/4 row 2 replicate 1 done in 3 min 20 s, about 6 min 40 s left\n"
              "run 3/4 row 3 replicate 1 done in 3 min 20 s, about 3 min 20 s left\n"
              "run 4/4 row 4 replicate 1 done in 3 min 20 s\n");
}

TEST(ProgressLine, OutputThroughTheSharedScreenNeverMixesWithTheLine) {
    // Standard error and standard output on one terminal: one buffer for both.
    std::stringbuf terminal;
    double now = 0.0;
    ProgressLine line(terminal, settings(ProgressStyle::terminal), [&now] { return now += 0.05; });
    SharedScreen shared(line, terminal);
    std::ostream messages(&shared);
    messages.setf(std::ios::unitbuf);  // as std::cerr: every piece is flushed on its own
    // Passes on two threads go on drawing the line for as long as messages come.
    std::atomic<bool> writing{true};
    std::atomic<int> drawing{0};
    std::vector<std::thread> passes;
    for (int job = 0; job < 2; ++job)
        passes.emplace_back([&line, &writing, &drawing, job] {
            for (int run = 1 + job; writing; run += 2) {
                line.pass_started(run, run, 1);
                for (int sp = 1; sp <= 5; ++sp) line.species_placed(run, sp, 5);
                line.pass_finished(run, run, 1);
                if (run <= 2) ++drawing;
            }
        });
    while (drawing < 2) std::this_thread::yield();
    for (int i = 0; i < 300; ++i) messages << " Warning: species " << i << " placed 3 of 9 individuals" << '\n';
    writing = false;
    for (std::thread& t : passes) t.join();
    line.finished();
    const TerminalRows rows = replay_terminal(terminal.str());
    ASSERT_EQ(rows.past.size(), 300U);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(rows.past[static_cast<std::size_t>(i)],
                  " Warning: species " + std::to_string(i) + " placed 3 of 9 individuals");
    EXPECT_EQ(rows.current, "");
    EXPECT_NE(terminal.str().find(" runs done in "), std::string::npos);
}

}  // namespace
}  // namespace lorvenna::testing
