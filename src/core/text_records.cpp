#include "core/text_records.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace lorvenna {

LineRead read_text_line(std::istream& in, TextLine& line, std::size_t limit) {
    line.text.clear();
    line.overlong = false;
    if (in.bad()) return LineRead::read_error;
    using traits = std::istream::traits_type;
    bool any = false;
    for (;;) {
        const auto c = in.get();
        if (traits::eq_int_type(c, traits::eof())) {
            if (in.bad()) return LineRead::read_error;
            return any ? LineRead::ok : LineRead::end_of_file;
        }
        any = true;
        const char ch = traits::to_char_type(c);
        if (ch == '\n') return LineRead::ok;
        if (ch == '\r') {
            if (traits::eq_int_type(in.peek(), traits::to_int_type('\n'))) in.get();
            if (in.bad()) return LineRead::read_error;
            return LineRead::ok;
        }
        if (line.text.size() < limit)
            line.text.push_back(ch);
        else if (ch != ' ' && ch != '\t')
            line.overlong = true;
    }
}

SplitFields split_fields(std::string_view line, std::string_view separators) {
    SplitFields result;
    std::size_t pos = 0;
    for (;;) {
        const auto begin = line.find_first_not_of(separators, pos);
        if (begin == std::string_view::npos) return result;
        auto end = line.find_first_of(separators, begin);
        if (end == std::string_view::npos) end = line.size();
        if (result.fields.size() == max_fields) {
            result.fault = SplitFields::Fault::too_many_fields;
            result.fault_field = max_fields + 1;
            return result;
        }
        if (end - begin > max_field_length) {
            result.fault = SplitFields::Fault::field_too_long;
            result.fault_field = result.fields.size() + 1;
            return result;
        }
        result.fields.emplace_back(line.substr(begin, end - begin));
        pos = end;
    }
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks the free numeric syntax of a real: [sign] digits [. digits] [exponent],
// at least one digit in the mantissa.  Returns the text in the form from_chars reads.
std::optional<std::string> real_syntax(std::string_view token) {
    std::string s(token);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        s[i] = 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < s.size() && is_digit(s[i])) ++i, ++exponent_digits;
        if (exponent_digits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    if (s[0] == '+') s.erase(0, 1);
    return s;
}

}  // namespace

std::optional<std::int32_t> parse_int32(std::string_view token) {
    std::string s(token);
    if (!s.empty() && s[0] == '+') s.erase(0, 1);
    if (s.empty() || s[0] == '+' || (token[0] == '+' && s[0] == '-')) return std::nullopt;
    std::int32_t value = 0;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

std::optional<float> parse_float(std::string_view token) {
    const auto s = real_syntax(token);
    if (!s) return std::nullopt;
    double value = 0.0;
    const char* first = s->data();
    const char* last = s->data() + s->size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ptr != last) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is out of range.
        const auto e = s->find('e');
        if (e == std::string::npos || (e + 1 < s->size() && (*s)[e + 1] != '-')) return std::nullopt;
        value = 0.0;
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(value);
}

std::string printable(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) c = '?';
    }
    return s;
}

}  // namespace lorvenna
