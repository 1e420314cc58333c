#pragma once
// Reading a CSV table as RFC 4180 writes it: a header row, fields separated
// by commas, quoted fields with doubled quotes inside.  For tables small
// enough to hold (the summaries read their folder's tables whole).
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace lorvenna {

struct CsvTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    // Index of a column, or nullopt.
    std::optional<std::size_t> column(const std::string& name) const;
};

// Reads the whole table; nullopt when a row has another number of fields than the header.
std::optional<CsvTable> read_csv_table(std::istream& in);

}  // namespace lorvenna
