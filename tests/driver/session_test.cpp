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

// The dialogue of a sampling run on a 20 x 20 grid with the given habitat
// heterogeneity and answer to the fractal kind, and Grid.txt.
std::vector<std::string> habitat_dialogue(const std::string& heterogeneity, const std::string& kind) {
    return {"s", "yes", "g", "no", "0", "no", "20", "16", "seq", "1", "3", "1", "1", "sha", "0", heterogeneity, kind,
            "2.5", "1", "0", "fix", "fix", "0", "0", "10", "1", "0", "rnd", "-1", "0.5", "0.1", "normal", "3", "2", "1"};
}

TEST(Session, AnEmptyFractalKindKeepsTheDefaultAndAnUnknownOneIsNamed) {
    const auto empty = run_session_with(habitat_dialogue("1", ""));
    ASSERT_EQ(empty.status, exit_ok) << empty.console;
    EXPECT_EQ(count_lines(empty.console_lines(), "Gridsize rescaled to    33 x   33"), 1);
    const auto grid = lines(empty.file("Grid.txt"));
    ASSERT_EQ(grid.size(), 2u + 33u);
    EXPECT_NE(grid[2], "     1     0.00000     0.00000") << "the rmd grid was built";
    EXPECT_EQ(run_session_with(habitat_dialogue("1", "rmd")).files, empty.files);

    const auto typo = run_session_with(habitat_dialogue("1", "RMD"));
    EXPECT_EQ(count_lines(typo.console_lines(), " No fractal grid is built: the kind \"RMD\" is none of rmd, dsq and "
                                                "super, so the habitat stays flat whatever its heterogeneity"),
              1);
    EXPECT_TRUE(run_session_with(habitat_dialogue("0", "RMD")).console.find("No fractal grid") == std::string::npos)
        << "without heterogeneity no grid is asked for";
}

TEST(Session, AGridTooLargeToCountInBytesIsRefusedByTheGuard) {
    // 17 bytes a cell on a side of 1473161629 wraps a 64-bit product around to about 265 MB.
    const auto r = run_session_with({"s", "no", "g", "yes", "runs.txt", "0", "no"}, 5,
                                    {{"runs.txt", "header\n1473161629 20 3 1 1 1 seq 10 0 0 -1 0.5 0.1 rnd normal 3 2 "
                                                  "1 1 0 0 0 0 fix super 2 1 0 0 sha 1 fix\n"}});
    EXPECT_EQ(r.status, exit_error);
    const auto console = r.console_lines();
    ASSERT_GE(console.size(), 2u);
    EXPECT_EQ(console[console.size() - 2].rfind(" Not enough memory: a grid of 1473161629 x 1473161629 cells", 0), 0u)
        << console[console.size() - 2];
    EXPECT_NE(console[console.size() - 2].find("needs more than 17592186044415 MiB"), std::string::npos);
}

// A file system that runs out of memory when Analysis.txt is created, after
// Distribution.txt has been opened and written to.
class ExhaustedFiles : public MemoryFiles {
public:
    std::unique_ptr<std::ostream> create(const std::filesystem::path& path) override {
        if (path.filename() == "Analysis.txt") throw std::bad_alloc();
        return MemoryFiles::create(path);
    }
};

TEST(Session, AFailedAllocationEndsInOrderWithEveryFileClosed) {
    ExhaustedFiles files;
    std::istringstream in("s\nno\ng\nno\n0\nno\n");
    std::ostringstream out;
    Io io{in, out, ".", files};
    io.elapsed = [] { return 3725LL; };
    EXPECT_EQ(run_session(io, 7), exit_error);
    const auto console = lines(out.str());
    ASSERT_GE(console.size(), 2u);
    EXPECT_EQ(console[console.size() - 2], " Not enough memory: an allocation of the run failed (std::bad_alloc)");
    EXPECT_EQ(console.back(), "Runtime of program:   1hh  2min  5sec");
    EXPECT_EQ(files.text("Distribution.txt"), " Characteristics of whole community\n") << "written and flushed";
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
