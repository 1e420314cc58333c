#pragma once
// A user's own field data in the input formats of iNEXT and SpadeR, for the
// estimators and curves of src/statistics: a header line naming the columns,
// then one line per species.
//
//   abundance              one column per assemblage: the individuals of each
//                          species counted there
//   incidence_frequencies  one column per assemblage: the number of sampling
//                          units T on the first line below the header, then
//                          per species the units it was found in (0..T)
//   incidence_raw          one column per sampling unit, 0 or 1 per species;
//                          the header gives each unit the name of its
//                          assemblage, so the columns of one assemblage share
//                          a name (ants,ants,ants,bees,bees)
//
// Separators and the syntax of a count: field_tokens.hpp.  Lines end at "\n",
// "\r\n" or a lone "\r"; blank lines are skipped; a UTF-8 byte-order mark
// before the header is dropped.  A missing value (NA, or an empty field where
// commas, semicolons or tabs separate) is a species not counted there (0):
// the shorter columns of a table may be filled up with NA or 0.  Raw
// incidence takes 0 and 1 only.
//
// Species labels: when the header's first field is empty (R's write.csv with
// row names), or the header has one field fewer than the data lines and the
// first data line begins with a field that is not a number (R's write.table),
// the first field of every line names the species and is not read as a count.
//
// The header must name every column (a header of numbers alone is refused:
// a file without a header would otherwise lose its first species).  In the
// abundance and frequency formats two columns may not share a name.
//
// Anything else is a fault, and the first one in the file is returned with
// its line and column and nothing of the data: an empty file, a control character (a byte
// below 32 other than a tab, or 127), a line over max_line_characters, more
// than max_columns fields, more than max_species_rows species, a line with
// another number of fields than the header, a quote left open, text, a
// negative or a fractional number where a count belongs, a count above
// max_count, a unit count T below 1 or below an incidence of its column,
// a column that holds no species, and a read failure of the stream.
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "statistics/frequency_data.hpp"

namespace lorvenna {

enum class FieldDataKind { abundance, incidence_frequencies, incidence_raw };

inline constexpr std::size_t max_line_characters = 100000;
inline constexpr std::size_t max_columns = 10000;
inline constexpr std::size_t max_species_rows = 10000000;
inline constexpr std::size_t max_name_length = 200;
// The largest count, number of units T, and individuals of one assemblage:
// the curves keep tables of ln k! as long as the sample (16 bytes an individual).
inline constexpr std::int64_t max_count = 100000000;

struct FieldAssemblage {
    std::string name;
    // abundance: the individuals of every species row (0 where not counted)
    AbundanceSample abundance;
    // incidence_frequencies and incidence_raw: T and the units of every species row
    IncidenceSample incidence;
    // incidence_raw: for every unit, the species rows (0-based) found in it,
    // in rising order, as richness_from_incidence takes them
    std::vector<std::vector<int>> presence;
};

struct FieldData {
    FieldDataKind kind = FieldDataKind::abundance;
    std::vector<std::string> species;             // the species labels, when the file has them
    std::vector<FieldAssemblage> assemblages;     // in the order of the header
};

struct FieldDataFault {
    long long line = 0;      // 1-based line of the file
    std::size_t column = 0;  // 1-based field of the line; 0: the line as a whole
    std::string assemblage;  // the name of the column, when it has one
    std::string message;
};

// "line 4, column 2 (ants): a negative count (-3)".
std::string describe(const FieldDataFault& fault);

struct FieldDataRead {
    std::optional<FieldData> data;  // the whole file, or nothing
    FieldDataFault fault;           // when data is empty: the first fault of the file
};

FieldDataRead read_field_data(std::istream& in, FieldDataKind kind);

}  // namespace lorvenna
