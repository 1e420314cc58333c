#pragma once
// The engine's CSV tables split into typed columns, with no Python in sight:
// the module turns them into NumPy arrays.  Numbers are read with
// std::from_chars, which rounds correctly, so every value is the double that
// Python's float() gives for the same text.
#include <cstdint>
#include <string>
#include <vector>

namespace lorvenna_py {

struct CsvColumn {
    // What every field of the column reads as, NA and empty fields aside:
    // whole numbers (64-bit), numbers, TRUE/FALSE, or anything else (text).
    enum class Kind { whole, real, logical, text };
    std::string name;
    Kind kind = Kind::real;  // a column of NA alone is real: a number the run could not give
    std::vector<std::int64_t> wholes;
    std::vector<double> reals;       // NaN where missing
    std::vector<std::uint8_t> truths;
    std::vector<std::uint8_t> missing;  // 1 where the field is NA (or empty in a column of numbers)
    std::vector<std::string> texts;     // for text columns: every field as written ("NA" too)
};

struct CsvTable {
    std::vector<CsvColumn> columns;
    std::size_t rows = 0;
};

// Reads RFC 4180 text with one header row: quoted fields may hold commas,
// doubled quotes and line breaks; lines end at LF or CR LF; blank lines are
// skipped.  The columns named in `names_as_written` are texts whatever they
// hold, every field as written and none missing (names of assemblages, which
// may read as numbers, TRUE or NA).  Throws std::runtime_error naming the
// line of a ragged record.
CsvTable read_csv_columns(const std::string& text, const std::vector<std::string>& names_as_written = {});

// An ESRI ASCII grid (six head lines, then the top row first) as values by
// cell: values[(y - 1) * ncols + (x - 1)] for cell (x, y), y = 1 the bottom
// row, so that a row-major array indexed [y - 1, x - 1] has the map's y
// growing upward.  NaN marks NODATA.
struct AsciiGrid {
    long ncols = 0, nrows = 0;
    std::vector<double> values;
};
AsciiGrid read_ascii_grid(const std::string& text);

}  // namespace lorvenna_py
