// Whole sessions: banner, mode question, settings block, ends of input.
#include <gtest/gtest.h>

#include <regex>

#include "support/session_runner.hpp"

using namespace lorvenna::testing;

TEST(Session, BannerShowsTheSeedWordInsideItsFrame) {
    const auto r = run_session_with({"b"}, 4242);
    const auto lines = r.console_lines();
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(lines[0], " " + std::string(55, '*'));
    EXPECT_EQ(lines[9], " " + std::string(55, '*'));
    bool seed_shown = false;
    for (int i = 1; i < 9; ++i) {
        const auto& l = lines[static_cast<std::size_t>(i)];
        EXPECT_EQ(l.size(), 56u) << l;
        EXPECT_EQ(l.substr(0, 2), " *");
        EXPECT_EQ(l.back(), '*');
        seed_shown = seed_shown || l.find("Seed word: 4242 ") != std::string::npos;
    }
    EXPECT_TRUE(seed_shown);
    EXPECT_EQ(lines[10].find_first_not_of(' '), std::string::npos);
}

TEST(Session, ModeAnswerMustMatchExactly) {
    const auto r = run_session_with({"M", " m", "mm", "b"});
    EXPECT_EQ(count_lines(r.console_lines(), "What to do?"), 4);
    EXPECT_EQ(r.status, 0);
}

TEST(Session, EndOfInputAtAnyPromptEndsInOrderWithAnError) {
    const std::vector<std::vector<std::string>> scripts = {
        {}, {"m"}, {"m", "no", "20"}, {"s", "yes"}, {"s", "no", "g", "no", "abc"}, {"m", "yes"}};
    const std::regex runtime(R"(^Runtime of program:   1hh  2min  5sec$)");
    for (const auto& script : scripts) {
        const auto r = run_session_with(script);
        const auto lines = r.console_lines();
        EXPECT_NE(r.status, 0) << script.size();
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(std::regex_match(lines.back(), runtime)) << lines.back();
        EXPECT_NE(find_line(lines, " Console input ended before the answer"), -1);
    }
}

TEST(Session, SettingsBlockLabelsAndValues) {
    const auto r = run_session_with(
        {"m", "no", "20", "10", "0", "0", "30", "2", "0", "rnd", "-1", "0.5", "0.1", "normal", "5", "3", "1"});
    const auto dist = r.file_lines("Distribution.txt");
    ASSERT_GE(dist.size(), 6u);
    EXPECT_EQ(dist[0], " Characteristics of whole community");
    EXPECT_EQ(dist[1],
              "Areal   SampA   maxSa   minSa   StepSa  Sampfac Method  Species maxD       minD      Dfluc   Flucmy  "
              "Flucvar DivInd  Permut  Fractal GridHet ");
    EXPECT_EQ(dist[2].substr(0, 73), "     20      10       0       0       0       0              30     2.000");
    EXPECT_NE(dist[2].find("0.002500"), std::string::npos);
    EXPECT_EQ(dist[3],
              "DWD     SWD     Class   SWDmy   SWDvar  DWDmy   DWDvar  Aggr      AreaHet    Scale1  Scale2  NicheNo "
              "Range   HabGrad RndHet  Model   Const=k Const=X TruncF  ");
    EXPECT_EQ(dist[4].substr(0, 40), "rnd     normal        5   3.000   1.000 ");
    EXPECT_EQ(dist[5], " No. of species per weight class");
}

TEST(Session, MissingBatchFileIsAskedAgain) {
    const auto r = run_session_with({"m", "yes", "nothere.txt", "runs.txt"}, 1, {{"runs.txt", ""}});
    EXPECT_EQ(count_lines(r.console_lines(), " Name of batchfile (with extension)?"), 2);
    EXPECT_EQ(r.status, 0);  // a batch file without a header line ends normally
}
