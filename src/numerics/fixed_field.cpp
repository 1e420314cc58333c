#include "numerics/fixed_field.hpp"

#include <cmath>
#include <cstdio>

namespace lorvenna {
namespace {

std::string right_align(const std::string& s, int width) {
    if (static_cast<int>(s.size()) >= width) return s;
    return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

// Exponent form with as many mantissa digits as the field allows, or asterisks.
std::string exponent_fit(double value, int width) {
    char buf[64];
    for (int digits = 6; digits >= 0; --digits) {
        std::snprintf(buf, sizeof buf, "%.*e", digits, value);
        if (static_cast<int>(std::string(buf).size()) <= width) return right_align(buf, width);
    }
    return std::string(static_cast<std::size_t>(width > 0 ? width : 0), '*');
}

}  // namespace

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count > 0 ? count : 0), ' '); }

std::string int_field(std::int64_t value, int width) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) <= width) return right_align(s, width);
    return exponent_fit(static_cast<double>(value), width);
}

std::string real_field(double value, int width, int decimals) {
    if (!std::isfinite(value)) value = 0.0;
    char buf[512];
    for (int d = decimals; d >= 0; --d) {
        // Values beyond 1e300 would not fit any field: go straight to exponent form.
        if (std::fabs(value) >= 1e300) break;
        std::snprintf(buf, sizeof buf, "%.*f", d, value);
        std::string s(buf);
        if (s == "-0" || (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-'))
            s.erase(0, 1);  // no negative zero
        if (static_cast<int>(s.size()) <= width) return right_align(s, width);
    }
    return exponent_fit(value, width);
}

std::string text_field(std::string_view text, int width) {
    if (width <= 0) return {};
    std::string s(text.substr(0, static_cast<std::size_t>(width)));
    s.resize(static_cast<std::size_t>(width), ' ');
    return s;
}

std::string int_field_min(std::int64_t value, int width) { return right_align(std::to_string(value), width); }

std::string real_field_min(double value, int width, int decimals) {
    if (!std::isfinite(value)) value = 0.0;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string s(buf);
    const bool shows_zero = s.find_first_not_of("-0.") == std::string::npos;
    if ((shows_zero && value != 0.0) || s.size() > 20) {
        std::snprintf(buf, sizeof buf, "%.*e", decimals, value);
        s = buf;
    } else if (shows_zero && s[0] == '-') {
        s.erase(0, 1);
    }
    return right_align(s, width);
}

}  // namespace lorvenna
