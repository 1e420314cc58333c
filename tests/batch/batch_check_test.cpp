// A check of a whole batch file lists exactly the rows a run would stop at,
// with the values short rows carry from the rows before them.
#include <gtest/gtest.h>

#include "batch/batch_check.hpp"
#include "support/work_bench.hpp"

namespace lorvenna::testing {
namespace {

BatchCheck check(const std::vector<std::string>& rows) {
    MemoryFiles files;
    std::string text = batch_header + "\n";
    for (const auto& r : rows) text += r + "\n";
    files.inputs["runs.txt"] = text;
    std::istringstream in;
    std::ostringstream out;
    Io io{in, out, ".", files};
    SessionAnswers answers;
    answers.mode = keyword("s");
    return check_batch_file(io, answers, "runs.txt", "", false);
}

TEST(BatchCheck, ListsEveryFaultyRowWithItsLineAndCarriesShortRows) {
    const std::string fine = batch_row();
    const std::string short_row = fine.substr(0, fine.find(" 1 0 -1"));  // the first 8 fields
    std::vector<std::string> rows(10, fine);
    rows[2] = batch_row({{"Method", "sqe"}});
    rows[6] = batch_row({{"SampA", "40"}});
    rows[7] = batch_row({{"AreaHet", "1"}, {"Fractal", "rmd"}, {"Scale1", "2.5"}});
    rows[8] = short_row;  // keeps Scale1 = 3 - 2.5 from the rmd row before it
    const BatchCheck c = check(rows);
    EXPECT_EQ(c.rows, 10);
    ASSERT_EQ(c.faults.size(), 3u);
    EXPECT_EQ(fault_line("runs.txt", c.faults[0]), "runs.txt:4: Error while reading method of sampling: sqe");
    EXPECT_EQ(fault_line("runs.txt", c.faults[1]), "runs.txt:8: Error while reading area:  40");
    EXPECT_EQ(fault_line("runs.txt", c.faults[2]), "runs.txt:10: Error while reading the first fractal coefficient:    0.50");

    rows[7] = batch_row({{"AreaHet", "1"}, {"Fractal", "super"}, {"Scale1", "2.5"}});
    EXPECT_EQ(check(rows).faults.size(), 2u) << "after a super row the short row carries Scale1 itself";
}

}  // namespace
}  // namespace lorvenna::testing
