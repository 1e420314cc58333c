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

// Numbers on console message lines, where a value must never be lost: right-
// aligned in at least `width` columns, a wider value widens the field.  A
// nonzero real that its decimals would show as zero, or one longer than 20
// characters, is written in exponent form so that the message names it.
std::string int_field_min(std::int64_t value, int width);
std::string real_field_min(double value, int width, int decimals);
std::string blanks(int count);

}  // namespace lorvenna
