#pragma once
// Fortran-like fixed fields for every table and console line of fixed layout:
// an integer right-aligned in w columns, a real with d decimals right-aligned
// in w columns, a text padded (or cut) to w columns.
//
// One rule for values that do not fit their field, so that no column of a
// report is ever shifted: a real first gives up decimals; a number that still
// does not fit is written in exponent form (1.2e+09) rounded to the field; a
// field too narrow even for that is filled with asterisks.  NaN and infinities
// never reach a report: they are written as 0.
#include <cstdint>
#include <string>
#include <string_view>

namespace lorvenna {

std::string int_field(std::int64_t value, int width);
std::string real_field(double value, int width, int decimals);
std::string text_field(std::string_view text, int width);
std::string blanks(int count);

}  // namespace lorvenna
