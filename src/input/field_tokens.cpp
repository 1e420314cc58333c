#include "input/field_tokens.hpp"

#include <limits>

namespace lorvenna {
namespace {

// The character that ends a field; blanks mode has none (runs of blanks do).
char separator_char(FieldSeparator s) {
    switch (s) {
        case FieldSeparator::comma: return ',';
        case FieldSeparator::semicolon: return ';';
        case FieldSeparator::tab: return '\t';
        case FieldSeparator::blanks: break;
    }
    return '\0';
}

// Reads a quoted field whose opening quote stands at `pos`; on return `pos`
// is just after the closing quote.  False when the line ends first.
bool read_quoted(std::string_view line, std::size_t& pos, std::string& field) {
    for (++pos; pos < line.size(); ++pos) {
        if (line[pos] != '"') {
            field.push_back(line[pos]);
        } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
            field.push_back('"');
            ++pos;
        } else {
            ++pos;
            return true;
        }
    }
    return false;
}

// A blank around a field: a space, or a tab where tabs do not separate.
bool is_blank(char c, char separator) { return c == ' ' || (c == '\t' && separator != '\t'); }

}  // namespace

FieldSeparator separator_of(std::string_view header) {
    bool quoted = false, tab = false, semicolon = false;
    for (const char c : header) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == ',') return FieldSeparator::comma;
        semicolon = semicolon || c == ';';
        tab = tab || c == '\t';
    }
    return semicolon ? FieldSeparator::semicolon : tab ? FieldSeparator::tab : FieldSeparator::blanks;
}

LineFields split_field_line(std::string_view line, FieldSeparator separator, std::size_t most) {
    LineFields out;
    const char sep = separator_char(separator);
    const bool blanks = separator == FieldSeparator::blanks;
    std::size_t pos = 0;
    const auto fail = [&](LineFields::Fault f) {
        out.fault = f;
        out.fault_field = out.fields.size() + 1;
        return out;
    };
    for (;;) {
        while (pos < line.size() && is_blank(line[pos], sep)) ++pos;
        if (blanks && pos == line.size()) return out;
        if (out.fields.size() == most) return fail(LineFields::Fault::too_many_fields);
        std::string field;
        if (pos < line.size() && line[pos] == '"') {
            if (!read_quoted(line, pos, field)) return fail(LineFields::Fault::open_quote);
            const std::size_t closed = pos;
            while (pos < line.size() && is_blank(line[pos], sep)) ++pos;
            // Only a separator (blanks mode: a blank) or the end of the line may follow.
            const bool separated = blanks ? pos > closed : pos < line.size() && line[pos] == sep;
            if (pos < line.size() && !separated) return fail(LineFields::Fault::text_after_quote);
        } else {
            const std::size_t begin = pos;
            while (pos < line.size() && (blanks ? !is_blank(line[pos], sep) : line[pos] != sep)) ++pos;
            std::size_t end = pos;
            while (end > begin && is_blank(line[end - 1], sep)) --end;
            field.assign(line.substr(begin, end - begin));
        }
        out.fields.push_back(std::move(field));
        if (blanks) continue;
        if (pos >= line.size()) return out;
        ++pos;  // past the separator: a field follows, if only an empty one
    }
}

Count parse_count(std::string_view field, std::int64_t limit) {
    if (field.empty() || field == "NA") return {CountKind::missing, 0};
    std::size_t pos = 0;
    bool negative = false;
    if (field[pos] == '+' || field[pos] == '-') negative = field[pos++] == '-';
    // The digits of the mantissa, without the point, leading zeros dropped.
    std::string digits;
    std::int64_t scale = 0;  // the value is digits x 10^scale
    bool any_digit = false, point = false;
    for (; pos < field.size(); ++pos) {
        const char c = field[pos];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            any_digit = true;
            if (!(digits.empty() && c == '0')) digits.push_back(c);
            if (point) --scale;
        } else {
            break;
        }
    }
    if (!any_digit) return {};
    if (pos < field.size() && (field[pos] == 'e' || field[pos] == 'E')) {
        ++pos;
        bool exponent_negative = false;
        if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) exponent_negative = field[pos++] == '-';
        if (pos == field.size()) return {};
        std::int64_t exponent = 0;
        for (; pos < field.size() && field[pos] >= '0' && field[pos] <= '9'; ++pos)
            exponent = exponent < 1000000000 ? exponent * 10 + (field[pos] - '0') : exponent;  // saturates
        scale += exponent_negative ? -exponent : exponent;
    }
    if (pos != field.size()) return {};
    // Leading zeros of a fraction were dropped with the point's scale kept:
    // 0.05 is digits "5" at scale -2.  Trailing zeros raise the scale.
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    if (digits.empty()) return {CountKind::whole, 0};  // 0, -0, 0.000, 0e7
    if (negative) return {CountKind::negative, 0};
    if (scale < 0) return {CountKind::fractional, 0};
    if (static_cast<std::int64_t>(digits.size()) + scale > 18) return {CountKind::too_large, 0};
    std::int64_t value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    for (std::int64_t i = 0; i < scale; ++i) value *= 10;
    if (value > limit) return {CountKind::too_large, 0};
    return {CountKind::whole, value};
}

}  // namespace lorvenna
