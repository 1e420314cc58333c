// Reading the input files: line ends, the line limit, fields and strict numbers.
#include "core/text_records.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "support/memory_files.hpp"

namespace lorvenna {
namespace {

std::vector<std::string> all_lines(std::istream& in, std::vector<bool>* overlong = nullptr) {
    std::vector<std::string> lines;
    TextLine line;
    while (read_text_line(in, line) == LineRead::ok) {
        lines.push_back(line.text);
        if (overlong) overlong->push_back(line.overlong);
    }
    return lines;
}

TEST(TextRecords, LineEndsOverlongLinesAndReadFailures) {
    std::istringstream ends("a b\nc\r\nd\re\n\r\nf");
    EXPECT_EQ(all_lines(ends), (std::vector<std::string>{"a b", "c", "d", "e", "", "f"}));

    std::istringstream wide(std::string(300, 'x') + "   \t \n" + std::string(299, ' ') + "12\nnext\n");
    std::vector<bool> overlong;
    const auto lines = all_lines(wide, &overlong);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].size(), 300u);
    EXPECT_EQ(overlong, (std::vector<bool>{false, true, false})) << "blanks beyond the limit lose nothing";
    EXPECT_EQ(lines[2], "next");

    testing::FailingInput failing("first\nsecond");
    TextLine line;
    ASSERT_EQ(read_text_line(failing, line), LineRead::ok);
    EXPECT_EQ(read_text_line(failing, line), LineRead::read_error);
}

TEST(TextRecords, FieldsSplitOnBlanksAndTabsWithinTheirLimits) {
    EXPECT_EQ(split_fields("  20\t16   seq \t").fields, (std::vector<std::string>{"20", "16", "seq"}));
    EXPECT_EQ(split_fields("1,5 2", " \t,").fields, (std::vector<std::string>{"1", "5", "2"}));
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += "1 ";
    EXPECT_EQ(split_fields(fifty).fault, SplitFields::Fault::none);
    EXPECT_EQ(split_fields(fifty + "1").fault, SplitFields::Fault::too_many_fields);
    EXPECT_EQ(split_fields("a " + std::string(50, 'b')).fault, SplitFields::Fault::none);
    const auto too_long = split_fields("a " + std::string(51, 'b') + " c");
    EXPECT_EQ(too_long.fault, SplitFields::Fault::field_too_long);
    EXPECT_EQ(too_long.fault_field, 2u);
}

TEST(TextRecords, NumbersMustBeWholeTokensWithinTheirType) {
    EXPECT_EQ(parse_int32("2147483647"), 2147483647);
    EXPECT_EQ(parse_int32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parse_int32("+5"), 5);
    for (const char* bad : {"2147483648", "-2147483649", "5.0", "1e3", "", "+", "+-5", "12a", " 5"})
        EXPECT_FALSE(parse_int32(bad)) << bad;

    EXPECT_FLOAT_EQ(*parse_float("0.00000001"), 1e-8f);
    EXPECT_FLOAT_EQ(*parse_float("-.5"), -0.5f);
    EXPECT_FLOAT_EQ(*parse_float("5."), 5.0f);
    EXPECT_FLOAT_EQ(*parse_float("1.5d2"), 150.0f);
    EXPECT_FLOAT_EQ(*parse_float("+2E-1"), 0.2f);
    EXPECT_EQ(*parse_float("1e-400"), 0.0f) << "an underflow reads as zero";
    for (const char* bad : {"1e39", "-1e39", "inf", "nan", "abc", "1,5", "0x10", ".", "e5", "1e", "--1", "1.2.3"})
        EXPECT_FALSE(parse_float(bad)) << bad;
    EXPECT_EQ(printable(std::string("a\tb\x01\x7f\xf6", 6)), "a?b??\xf6");
}

}  // namespace
}  // namespace lorvenna
