// The caps a harness may put on a session: a pass beyond them ends in order,
// and the cap on random draws holds even inside one long species.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "driver/io_seam.hpp"
#include "driver/session.hpp"
#include "support/session_runner.hpp"
#include "work_area.hpp"

using namespace lorvenna;

namespace {

struct CappedRun {
    int status = 0;
    std::string console;
    std::uint64_t draws = 0;
    std::filesystem::path dir;

    std::string report(const char* name) const {
        std::ifstream in(dir / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

// One sampled batch row: four species at up to 20 individuals per cell, with
// ranges far wider than the grid, so that most position draws fall off the
// grid and each species takes many draws.
CappedRun run_capped(std::uint64_t max_draws) {
    const auto dir = lorvenna::testing::fresh_directory();
    std::ofstream(dir / "runs.txt")
        << "header\n60 30 3 1 1 1 seq 4 20 0 -1 0.5 0.1 power normal 4 5 2 2 0 0 1 0 fix rmd 2.5 1 200 0 sha 1 fix\n";
    std::istringstream in("s\nno\ng\nyes\nruns.txt\n0\nno\n");
    std::ostringstream out;
    Io io{in, out, dir, real_file_system()};
    io.elapsed = [] { return 0LL; };
    io.max_uniform_draws = max_draws;
    CappedRun run;
    run.dir = dir;
    io.on_session_end = [&run](const WorkArea& wa) { run.draws = wa.random.uniform_draws(); };
    run.status = run_session(io, 4711);
    run.console = out.str();
    return run;
}

}  // namespace

TEST(SessionLimits, DrawCapEndsTheSessionWithinASixteenthOfItself) {
    const CappedRun free = run_capped(0);
    ASSERT_EQ(free.status, 0) << free.console;
    ASSERT_GT(free.draws, 200000u) << "the fixture must take many draws per species";

    const std::uint64_t cap = 20000;
    const CappedRun capped = run_capped(cap);
    EXPECT_EQ(capped.status, 1);
    EXPECT_NE(capped.console.find(" Refused: more than 20000 random draws"), std::string::npos) << capped.console;
    EXPECT_GT(capped.draws, cap);
    // One look at the cap every cap/16 cell choices; a ranged choice takes a few draws.
    EXPECT_LT(capped.draws, cap + cap / 2);
}

TEST(SessionLimits, CapsAboveTheRunChangeNothing) {
    const CappedRun free = run_capped(0);
    const CappedRun roomy = run_capped(free.draws);
    EXPECT_EQ(roomy.status, 0);
    EXPECT_EQ(roomy.draws, free.draws);
    for (const char* name : {"Distribution.txt", "Sample.txt", "Analysis.txt"}) {
        EXPECT_FALSE(free.report(name).empty()) << name;
        EXPECT_EQ(roomy.report(name), free.report(name)) << name;
    }
}
