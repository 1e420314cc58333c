// The parameter dialogue, driven through whole in-process sessions.
#include <gtest/gtest.h>

#include "support/session_runner.hpp"

using namespace lorvenna::testing;

namespace {

using Answers = std::vector<std::string>;

Answers join(Answers a, const Answers& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A model-only dialogue with the random density-weight distribution.
Answers model_answers(const Answers& sides = {"20", "10"}) {
    return join(join({"m", "no"}, sides),
                {"0", "0", "30", "2", "0", "rnd", "-1", "0.5", "0.1", "normal", "5", "3", "1"});
}

// The output questions of a sampling run (no grid, source g, no batch, no map, no cells).
const Answers sampling_start = {"s", "no", "g", "no", "0", "no"};

Answers sampling_answers(const Answers& design, const Answers& habitat) {
    Answers a = join(sampling_start, {"20", "16"});
    a = join(a, design);
    a = join(a, {"3", "1", "1", "sha"});
    a = join(a, habitat);
    return join(a, {"0", "0", "10", "1", "0", "rnd", "-1", "0.5", "0.1", "normal", "3", "2", "1"});
}

const Answers plain_habitat = {"0", "0", "rmd", "2", "1", "0", "fix", "fix"};

}  // namespace

TEST(Dialogue, OutOfRangeAndNonNumericAnswersRepeatThePrompt) {
    const auto r = run_session_with(model_answers({"abc", "20", "21", "1", "20"}));
    const auto lines = r.console_lines();
    EXPECT_EQ(count_lines(lines, " Length of the total grid "), 2);
    // SampA = Areal + 1 and SampA = 1 are refused, SampA = Areal accepted.
    EXPECT_EQ(count_lines(lines, " Length of the grid to be sampled"), 3);
    EXPECT_NE(find_line(lines, std::string(78, '-')), -1);
}

TEST(Dialogue, SettingsEchoLayout) {
    const auto r = run_session_with(model_answers());
    const auto lines = r.console_lines();
    const int dash = find_line(lines, std::string(78, '-'));
    ASSERT_GT(dash, 0);
    EXPECT_EQ(lines[static_cast<std::size_t>(dash - 1)], "");
    EXPECT_EQ(lines[static_cast<std::size_t>(dash + 2)],
              "      10       20       30    2.000  0.002500000   -1.000    0.500   0.100");
    EXPECT_EQ(lines[static_cast<std::size_t>(dash + 3)],
              "rnd      normal          5    3.000        1.000   0.0000    0.000   0.000");
    // The minimum-density prompt carries the number of cells in six columns.
    EXPECT_NE(find_line(lines, "Min. density? (enter 0 to set min = 1 ind /    400 cells)"), -1);
    EXPECT_NE(find_line(lines, " Number of weight classes? (max.: 50)"), -1);
}

TEST(Dialogue, ReshufflingOutOfRangeRepeatsBothDesignPrompts) {
    const auto r = run_session_with(sampling_answers({"ind", "1", "21", "2", "5"}, plain_habitat));
    const auto lines = r.console_lines();
    EXPECT_EQ(count_lines(lines, " Unit of sampling (1 to 10 cells)"), 2);
    EXPECT_EQ(count_lines(lines, " Number of reshufflings of sampling order (1 to 20)"), 2);
}

TEST(Dialogue, MidpointGridClampsTheDimensionAndRescalesTheSide) {
    Answers a = join(sampling_start, {"100", "50", "seq", "1", "3", "1", "1", "sha", "0", "1", "rmd", "1.5", "1", "0",
                                      "fix", "fix", "0", "0", "10", "1", "0", "rnd", "-1", "0.5", "0.1", "normal", "3",
                                      "2", "1"});
    const auto r = run_session_with(a);
    EXPECT_NE(find_line(r.console_lines(), "Gridsize rescaled to   129 x  129"), -1);
    const auto dist = r.file_lines("Distribution.txt");
    ASSERT_GE(dist.size(), 5u);
    EXPECT_EQ(dist[2].substr(0, 7), "    129");
    // Scale1 is the tenth value of the fourth block line, 2.000 after the clamp.
    EXPECT_EQ(dist[4].substr(77, 7), "  2.000");
}

TEST(Dialogue, NoHeterogeneityMeansNoFractalGridAndNoRescaling) {
    const Answers habitat = {"0", "0", "rmd", "0.5", "1", "0", "fix", "fix"};
    const auto r = run_session_with(sampling_answers({"seq", "1"}, habitat));
    EXPECT_EQ(find_line(r.console_lines(), "Gridsize rescaled to    33 x   33"), -1);
    const auto dist = r.file_lines("Distribution.txt");
    ASSERT_GE(dist.size(), 3u);
    EXPECT_EQ(dist[2].substr(0, 7), "     20");
}

TEST(Dialogue, DensityWeightBoundIsAppliedOnceClassIsKnown) {
    // An exponent of 10 is valid against no bound but above 2^3 once three classes are chosen.
    Answers a = {"m", "no", "20", "10", "0", "0", "30", "2", "0", "power", "10", "-1", "0.5", "0.1", "normal", "3",
                 "5", "2", "1"};
    const auto r = run_session_with(a);
    const auto lines = r.console_lines();
    EXPECT_EQ(count_lines(lines, " Value of exponent of power DWD-distribution"), 2);
    const int dash = find_line(lines, std::string(78, '-'));
    ASSERT_GT(dash, 0);
    EXPECT_EQ(lines[static_cast<std::size_t>(dash + 3)].substr(0, 9), "power    ");
    EXPECT_NE(lines[static_cast<std::size_t>(dash + 3)].find("   5.000"), std::string::npos);
}
