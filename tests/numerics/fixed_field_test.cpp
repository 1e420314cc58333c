#include "numerics/fixed_field.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lorvenna;

TEST(FixedField, IntegersAreRightAligned) {
    EXPECT_EQ(int_field(5, 3), "  5");
    EXPECT_EQ(int_field(-12, 4), " -12");
    EXPECT_EQ(int_field(123, 3), "123");
}

TEST(FixedField, RealsRoundToTheirDecimals) {
    EXPECT_EQ(real_field(0.5, 8, 3), "   0.500");
    EXPECT_EQ(real_field(2.0, 8, 3), "   2.000");
    EXPECT_EQ(real_field(0.0025, 12, 9), " 0.002500000");
    EXPECT_EQ(real_field(-1.0, 8, 3), "  -1.000");
    EXPECT_EQ(real_field(801.0, 15, 2), "         801.00");
    EXPECT_EQ(real_field(-0.00001, 7, 2), "   0.00");  // no negative zero
}

TEST(FixedField, ValuesTooWideKeepTheFieldWidth) {
    // A real gives up decimals first.
    EXPECT_EQ(real_field(12345.678, 7, 3), "12345.7");
    EXPECT_EQ(real_field(1234567.0, 7, 3), "1234567");
    // Then exponent form, never wider than the field.
    const std::string e = real_field(1.5e12, 9, 2);
    EXPECT_EQ(e.size(), 9u);
    EXPECT_NEAR(std::stod(e), 1.5e12, 1e10);
    const std::string big = int_field(12345678901LL, 8);
    EXPECT_EQ(big.size(), 8u);
    EXPECT_NEAR(std::stod(big), 1.2345678901e10, 1e9);
    // A field too narrow for any form is filled with asterisks.
    EXPECT_EQ(int_field(123456, 3), "***");
}

TEST(FixedField, NonFiniteValuesAreWrittenAsZero) {
    EXPECT_EQ(real_field(std::nan(""), 7, 2), "   0.00");
    EXPECT_EQ(real_field(std::numeric_limits<double>::infinity(), 6, 1), "   0.0");
    EXPECT_EQ(real_field(-std::numeric_limits<double>::infinity(), 6, 1), "   0.0");
}

TEST(FixedField, TextIsPaddedOrCut) {
    EXPECT_EQ(text_field("rmd", 7), "rmd    ");
    EXPECT_EQ(text_field("shannon", 6), "shanno");
    EXPECT_EQ(text_field("x", 0), "");
    EXPECT_EQ(blanks(3), "   ");
    EXPECT_EQ(blanks(-1), "");
}

TEST(FixedField, MessageNumbersWidenInsteadOfLosingTheValue) {
    EXPECT_EQ(int_field_min(0, 3), "  0");
    EXPECT_EQ(int_field_min(5000, 3), "5000");
    EXPECT_EQ(real_field_min(-1.5, 7, 2), "  -1.50");
    EXPECT_EQ(real_field_min(2e-7, 7, 2), "2.00e-07");
    EXPECT_EQ(real_field_min(-0.001, 5, 2), "-1.00e-03");
}
