#pragma once
// Line-oriented reading of the program's input files (batch parameter file,
// rank-order distribution file): bounded lines, blank-separated fields and
// strict numeric fields.  Every function is safe for any bytes: lines of any
// length, missing final newline, carriage returns, tabs, control characters,
// numbers beyond the range of their type.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lorvenna {

inline constexpr std::size_t max_line_length = 300;
inline constexpr std::size_t max_fields = 50;
inline constexpr std::size_t max_field_length = 50;

struct TextLine {
    std::string text;       // at most the limit's characters of the line, without its end
    bool overlong = false;  // a character other than a blank or tab stood beyond the limit
};

enum class LineRead { ok, end_of_file, read_error };

// Reads the next line.  A line ends at "\n", "\r\n" or a lone "\r"; the last
// line of a file needs no end.  Characters beyond `limit` are not kept.
// end_of_file: nothing was left to read; read_error: the stream failed.
LineRead read_text_line(std::istream& in, TextLine& line, std::size_t limit = max_line_length);

struct SplitFields {
    enum class Fault { none, too_many_fields, field_too_long };
    std::vector<std::string> fields;
    Fault fault = Fault::none;
    std::size_t fault_field = 0;  // 1-based number of the field that broke a limit
};

// Splits a line on runs of the separator characters.  Stops with a fault when a
// field exceeds max_field_length or when a line holds more than max_fields fields.
SplitFields split_fields(std::string_view line, std::string_view separators = " \t");

// A whole token as a number of the given type; nullopt when the token is not
// entirely a number of that syntax or lies outside the type's range.
// Integers: optional sign and digits.  Reals: optional sign, digits with an
// optional point and exponent (e, E, d or D); finite single-precision values only.
std::optional<std::int32_t> parse_int32(std::string_view token);
std::optional<float> parse_float(std::string_view token);

// The text as it may be shown on the console: control characters become '?'.
std::string printable(std::string_view text);

}  // namespace lorvenna
