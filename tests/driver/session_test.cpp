// Whole sessions: the ways a session ends, faults of the machine reaching the
// user, and the caps a harness may put on a session.
#include <gtest/gtest.h>

#include "driver/session.hpp"
#include "support/session_runner.hpp"
#include "support/work_bench.hpp"

namespace lorvenna::testing {
namespace {

const std::vector<std::string> model_run = {"m", "no", "20", "10", "0", "0", "30", "2", "0", "rnd",
                                            "-1", "0.5", "0.1", "normal", "5", "3", "1"};

TEST(Session, EndOfInputAtAnyPromptEndsInOrderWithAnError) {
    const std::vector<std::vector<std::string>> scripts = {
        {}, {"m"}, {"m", "no", "20"}, {"s", "yes"}, {"s", "no", "g", "no", "abc"}, {"m", "yes"}, {"s", "no", "o"}};
    for (const auto& script : scripts) {
        const auto r = run_session_with(script);
        const auto lines = r.console_lines();
        EXPECT_EQ(r.status, exit_error) << script.size();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], " Console input ended before the answer");
        EXPECT_EQ(lines.back(), "Runtime of program:   1hh  2min  5sec");
    }
}

TEST(Session, NoHeterogeneityMeansNoFractalGridAndNoRescaling) {
    const auto r = run_session_with({"s", "no", "g", "no", "0", "no", "20", "16", "seq", "1", "3", "1", "1", "sha",
                                     "0", "0", "rmd", "0.5", "1", "0", "fix", "fix", "0", "0", "10", "1", "0", "rnd",
                                     "-1", "0.5", "0.1", "normal", "3", "2", "1"});
    EXPECT_EQ(r.status, exit_ok);
    for (const std::string& line : r.console_lines()) EXPECT_EQ(line.rfind("Gridsize rescaled", 0), std::string::npos);
    const auto dist = lines(r.file("Distribution.txt"));
    ASSERT_GE(dist.size(), 3u);
    EXPECT_EQ(dist[2].substr(0, 7), "     20");
    EXPECT_EQ(dist[2].substr(125, 7), "       ") << "no fractal kind";
}

// A session on memory files where one report file is refused or fills up.
SessionResult faulty(const std::string& victim, bool refuse, std::size_t capacity = 0) {
    return run_script({model_run, 7, {}, [=](Io&, MemoryFiles& files) {
                           if (refuse)
                               files.refused.insert(victim);
                           else
                               files.capacity[victim] = capacity;
                       }});
}

TEST(FaultInjection, AReportFileThatCannotBeWrittenEndsTheRunNamingIt) {
    auto r = faulty("Distribution.txt", true);
    EXPECT_EQ(r.status, exit_error);
    auto lines = r.console_lines();
    EXPECT_EQ(count_lines(lines, " Cannot write the file Distribution.txt"), 1);
    EXPECT_EQ(lines.back(), "Runtime of program:   1hh  2min  5sec");
    for (std::size_t capacity : {0u, 40u, 400u}) {  // the disk fills at the head, in the settings, in the table
        r = faulty("Distribution.txt", false, capacity);
        EXPECT_EQ(r.status, exit_error) << capacity;
        lines = r.console_lines();
        EXPECT_EQ(count_lines(lines, " Error while writing the file Distribution.txt"), 1) << capacity;
        EXPECT_EQ(lines.back(), "Runtime of program:   1hh  2min  5sec");
    }
    // The real file system: a directory that cannot exist.
    std::istringstream in("m\nno\n");
    std::ostringstream out;
    Io io{in, out, "/dev/null/no-directory", real_file_system()};
    EXPECT_EQ(run_session(io, 7), exit_error);
    EXPECT_NE(out.str().find("\n Cannot write the file Distribution.txt\n"), std::string::npos);
}

// One sampled batch row: four species at up to 20 individuals per cell, with
// ranges far wider than the grid, so that most position draws fall off the
// grid and each species takes many draws.
SessionResult capped(std::uint64_t max_draws) {
    return run_script(
        {{"s", "no", "g", "yes", "runs.txt", "0", "no"},
         4711,
         {{"runs.txt",
           "header\n60 30 3 1 1 1 seq 4 20 0 -1 0.5 0.1 power normal 4 5 2 2 0 0 1 0 fix rmd 2.5 1 200 0 sha 1 fix\n"}},
         [max_draws](Io& io, MemoryFiles&) { io.max_uniform_draws = max_draws; }});
}

TEST(SessionLimits, DrawCapEndsTheSessionWithinASixteenthOfItselfAndAboveTheRunChangesNothing) {
    const SessionResult free = capped(0);
    ASSERT_EQ(free.status, 0) << free.console;
    ASSERT_GT(free.uniform_draws, 200000u) << "the fixture must take many draws per species";

    const std::uint64_t cap = 20000;
    const SessionResult limited = capped(cap);
    EXPECT_EQ(limited.status, exit_error);
    EXPECT_EQ(count_lines(limited.console_lines(), " Refused: more than 20000 random draws"), 1);
    EXPECT_GT(limited.uniform_draws, cap);
    EXPECT_LT(limited.uniform_draws, cap + cap / 2) << "one look every cap/16 cell choices, a few draws each";

    const SessionResult roomy = capped(free.uniform_draws);
    EXPECT_EQ(roomy.status, 0);
    EXPECT_EQ(roomy.uniform_draws, free.uniform_draws);
    EXPECT_EQ(roomy.files, free.files);
    EXPECT_FALSE(free.file("Analysis.txt").empty());
}

}  // namespace
}  // namespace lorvenna::testing
