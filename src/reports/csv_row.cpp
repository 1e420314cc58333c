#include "reports/csv_row.hpp"

#include <charconv>
#include <cmath>

namespace lorvenna {

void CsvRow::separate() {
    if (!first_) line_ += ',';
    first_ = false;
}

CsvRow& CsvRow::whole(std::int64_t value) {
    separate();
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    line_.append(buffer, error == std::errc() ? end : buffer);
    return *this;
}

// The shortest text that reads back to the same value of its own type.
template <typename Real>
CsvRow& CsvRow::shortest(Real value) {
    if (!std::isfinite(value)) return na();
    // Counts and areas held as reals are most of a long table: a whole number
    // below 10^5 has no shorter text than its digits (from 10^5 on, "1e+05"
    // can be shorter), so it takes the quick path of whole numbers.
    if (value > -Real(100000) && value < Real(100000) && value == std::trunc(value) &&
        !(value == Real(0) && std::signbit(value)))
        return whole(static_cast<std::int64_t>(value));
    separate();
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    line_.append(buffer, error == std::errc() ? end : buffer);
    return *this;
}

CsvRow& CsvRow::clear() {
    line_.clear();
    first_ = true;
    return *this;
}

CsvRow& CsvRow::real(double value) { return shortest(value); }
CsvRow& CsvRow::single(float value) { return shortest(value); }

CsvRow& CsvRow::text(std::string_view value) {
    separate();
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        line_ += value;
        return *this;
    }
    line_ += '"';
    for (const char c : value) {
        if (c == '"') line_ += '"';
        line_ += c;
    }
    line_ += '"';
    return *this;
}

CsvRow& CsvRow::na() {
    separate();
    line_ += "NA";
    return *this;
}

std::string csv_header(const std::vector<std::string_view>& columns) {
    std::string line;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) line += ',';
        line += columns[i];
    }
    return line;
}

}  // namespace lorvenna
