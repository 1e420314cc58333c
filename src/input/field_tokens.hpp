#pragma once
// The pieces of a line of field data (species counts per assemblage, as the
// R packages iNEXT and SpadeR take them) and the counts they hold.
//
// Separators: the header line decides for the whole file.  A comma outside
// quotes makes commas separate; else a semicolon, semicolons; else a tab,
// tabs; else runs of blanks and tabs.  With a comma, semicolon or tab every
// separator ends a field, so "5,,3" holds an empty second field; blanks
// around a field are dropped.  A field may be quoted ("Site A", with ""
// for a quote inside) and then holds separators as text; a quote closes on
// its line.
//
// Counts: whole numbers in decimal, with an optional sign, point and
// exponent as R writes them (752, 3.0, 1e+05); the value must be whole.
// NA and an empty field are a missing value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lorvenna {

enum class FieldSeparator { comma, semicolon, tab, blanks };

// The separator of a file whose header line is `header`.
FieldSeparator separator_of(std::string_view header);

struct LineFields {
    std::vector<std::string> fields;
    enum class Fault { none, too_many_fields, open_quote, text_after_quote } fault = Fault::none;
    std::size_t fault_field = 0;  // 1-based field where the fault stands
};

// Splits a line into at most `most` fields (more is a fault; the rest of the
// line is not looked at).  Quotes are taken off.
LineFields split_field_line(std::string_view line, FieldSeparator separator, std::size_t most);

enum class CountKind { whole, missing, negative, fractional, too_large, not_a_number };

struct Count {
    CountKind kind = CountKind::not_a_number;
    std::int64_t value = 0;  // for whole
};

// The count a field holds; values above `limit` are too_large.  The value is
// read exactly from its digits (1.5e1 is 15, 1.55e1 is fractional), so no
// rounding of a binary number can turn a fraction into a whole count.
Count parse_count(std::string_view field, std::int64_t limit);

}  // namespace lorvenna
