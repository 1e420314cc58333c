#pragma once
// One row of a tidy table as CSV (RFC 4180): fields separated by commas, a
// '.' decimal point, every number in the shortest text that reads back to the
// same float or double, NA where a value is undefined, texts quoted when they
// hold a comma, a quote or a line break.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lorvenna {

class CsvRow {
public:
    CsvRow& whole(std::int64_t value);
    CsvRow& real(double value);   // NA when not finite
    CsvRow& single(float value);  // a single-precision value, in its own shortest text
    CsvRow& text(std::string_view value);
    CsvRow& na();
    // A whole number, a real or NA as `defined` says.
    CsvRow& whole_or_na(bool defined, std::int64_t value) { return defined ? whole(value) : na(); }
    CsvRow& real_or_na(bool defined, double value) { return defined ? real(value) : na(); }
    CsvRow& single_or_na(bool defined, float value) { return defined ? single(value) : na(); }

    // Empties the row for the next one, keeping its storage: a long table
    // is written without an allocation per row.
    CsvRow& clear();

    const std::string& str() const { return line_; }

private:
    void separate();
    template <typename Real>
    CsvRow& shortest(Real value);
    std::string line_;
    bool first_ = true;
};

// The header row of a table.
std::string csv_header(const std::vector<std::string_view>& columns);

}  // namespace lorvenna
