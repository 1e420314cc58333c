// Numbers in the tidy tables are the shortest text that reads back to the
// same value; whole numbers take a quicker path that must give the same text.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "reports/csv_row.hpp"

namespace lorvenna::testing {
namespace {

template <typename Real>
std::string shortest_text(Real value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

TEST(CsvRow, RealsAreTheirShortestTextOnEitherSideOfTheQuickPathForWholeNumbers) {
    const double values[] = {0.0,     -0.0,     1.0,      -1.0,   7.0,     99999.0, -99999.0, 100000.0, -100000.0,
                             1.0e5,   123456.0, 1.0e20,   0.5,    -2.25,   1.0 / 3, 99999.5,  1e-7,     4.0e15,
                             65536.0, 10000.0,  -10000.0, 5.0e4,  12000.0, 3.0e-300};
    for (const double v : values) {
        EXPECT_EQ(CsvRow().real(v).str(), shortest_text(v)) << v;
        const auto f = static_cast<float>(v);
        if (std::isfinite(f)) {
            EXPECT_EQ(CsvRow().single(f).str(), shortest_text(f)) << v;
        }
    }
    EXPECT_EQ(CsvRow().real(std::nan("")).real(std::numeric_limits<double>::infinity()).whole(-42).str(), "NA,NA,-42");
    CsvRow row;
    row.whole(1).text("a,b");
    EXPECT_EQ(row.clear().text("say \"hi\"").real(2.0).str(), "\"say \"\"hi\"\"\",2");
}

}  // namespace
}  // namespace lorvenna::testing
