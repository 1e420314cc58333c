// Whole sessions driven by a batch file: the rows run one after the other and
// a faulty row ends the session with the earlier runs complete on disk.
#include <gtest/gtest.h>

#include "batch/batch_bench.hpp"
#include "support/session_runner.hpp"

namespace lorvenna {
namespace {

using testing::batch_header;
using testing::batch_row;

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

TEST(BatchSession, FaultySecondRowLeavesTheFirstRunCompleteInEveryReport) {
    const std::string runs = batch_header + "\n" + batch_row() + "\n" + batch_row({{"DivInd", "bogus"}}) + "\n";
    const auto res = testing::run_session_with({"s", "no", "g", "yes", "runs.txt", "0", "no"}, 7,
                                               {{"runs.txt", runs}});
    EXPECT_EQ(res.status, exit_error);
    const auto lines = res.console_lines();
    EXPECT_EQ(testing::count_lines(lines, "Iteration No.:    1"), 1);
    EXPECT_EQ(testing::find_line(lines, "Iteration No.:    2"), -1) << "the faulty row never starts its run";
    EXPECT_GE(testing::find_line(lines, " Error while reading diversity index: bogus"), 0);
    for (const char* name : {"Distribution.txt", "Sample.txt", "Analysis.txt"})
        EXPECT_EQ(occurrences(res.file(name), "Areal   SampA"), 1) << name;
    EXPECT_EQ(occurrences(res.file("Distribution.txt"), "No. species"), 1)
        << "the first run's community statistics are on disk";
}

TEST(BatchSession, TwoBlockRankOrderFileWithTwoRowBatch) {
    const std::string dist = "Two samples\n*\n100\n50\n10\n*\n40\n20\n";
    const std::string runs = batch_header + "\n" + batch_row({{"Method", "seq"}}) + "\n" +
                             batch_row({{"Method", "dep"}}) + "\n";
    const auto res = testing::run_session_with(
        {"s", "no", "o", "dist.txt", "no", "yes", "runs.txt", "0", "no"}, 7,
        {{"dist.txt", dist}, {"runs.txt", runs}});
    EXPECT_EQ(res.status, exit_ok);
    const auto lines = res.file_lines("Distribution.txt");
    // Each run's settings block shows the species of its own block.
    std::vector<std::string> species;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].rfind("Areal   SampA", 0) == 0) species.push_back(lines[i + 1].substr(56, 7));
    EXPECT_EQ(species, (std::vector<std::string>{"      3", "      2"}));
    const std::string text = res.file("Distribution.txt");
    EXPECT_NE(text.find("             100             100"), std::string::npos) << "block 1 placed";
    EXPECT_NE(text.find("              40              40"), std::string::npos) << "block 2 placed";
}

}  // namespace
}  // namespace lorvenna
