#include "input/field_data.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/text_records.hpp"
#include "input/field_tokens.hpp"

namespace lorvenna {
namespace {

// A field as a message shows it: control characters as '?', at most 40 characters.
std::string shown(std::string_view field) {
    const std::string text = printable(field.substr(0, 40));
    return field.size() > 40 ? text + "..." : text;
}

bool blank_line(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The first control character of a field (a byte below 32 or 127), or -1.
int control_character(std::string_view field) {
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) return byte;
    }
    return -1;
}

// Thrown inside the reader to leave it with the first fault.
struct Refusal {
    FieldDataFault fault;
};

class FieldReader {
public:
    FieldReader(std::istream& in, FieldDataKind kind) : in_(in), kind_(kind) {}

    FieldData read() {
        read_header();
        std::vector<std::string> fields;
        while (next_line()) {
            // Two fields beyond the columns: enough to tell a label column from a line that is too long.
            split(fields, names_.size() + 2);
            if (first_data_line_ && !label_column_ && fields.size() == names_.size() + 1 &&
                parse_count(fields[0], max_count).kind == CountKind::not_a_number)
                label_column_ = true;  // R's write.table: the header has no field over the labels
            first_data_line_ = false;
            const std::size_t expected = names_.size() + (label_column_ ? 1 : 0);
            if (fields.size() != expected) {
                const std::size_t at = std::min(fields.size(), expected) + 1;
                fail(at, fields.size() > expected ? "more fields than the " + std::to_string(expected) +
                                                        " of the header: every line needs one field per column"
                                                  : std::to_string(fields.size()) +
                                                        (fields.size() == 1 ? " field" : " fields") + " where the header has " +
                                                        std::to_string(expected) +
                                                        ": every line needs one field per column (NA or 0 where a "
                                                        "species was not counted)");
            }
            read_row(fields);
        }
        return finish();
    }

private:
    // The next line that is not blank, checked for its length; false at the end of the file.
    bool next_line() {
        for (;;) {
            const LineRead r = read_text_line(in_, line_, max_line_characters);
            if (r == LineRead::end_of_file) return false;
            ++line_number_;
            if (r == LineRead::read_error) fail(0, "the file could not be read");
            if (line_number_ == 1 && line_.text.rfind("\xEF\xBB\xBF", 0) == 0) line_.text.erase(0, 3);
            if (line_.overlong)
                fail(0, "the line is longer than " + std::to_string(max_line_characters) + " characters");
            if (!blank_line(line_.text)) return true;
        }
    }

    // The fields of the current line, at most `most` of them, each free of control characters.
    void split(std::vector<std::string>& fields, std::size_t most) {
        LineFields parts = split_field_line(line_.text, separator_, std::min(most, max_columns));
        switch (parts.fault) {
            case LineFields::Fault::none: break;
            case LineFields::Fault::too_many_fields:
                if (most > max_columns) fail(parts.fault_field, "more than " + std::to_string(max_columns) + " columns");
                break;  // more fields than the header: the caller names the fault
            case LineFields::Fault::open_quote: fail(parts.fault_field, "a quote that is not closed on its line");
            case LineFields::Fault::text_after_quote:
                fail(parts.fault_field, "text after a closing quote (a quote inside a quoted field is written \"\")");
        }
        for (std::size_t i = 0; i < parts.fields.size(); ++i)
            if (const int c = control_character(parts.fields[i]); c >= 0) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(c));
                fail(i + 1, std::string("a control character (byte ") + hex + "): is this a text file?");
            }
        fields = std::move(parts.fields);
    }

    void read_header() {
        if (!next_line()) {
            line_number_ = std::max(line_number_, 1LL);
            fail(0, "no header: the file is empty or blank, and its first line must name the columns");
        }
        header_line_ = line_number_;
        separator_ = separator_of(line_.text);
        std::vector<std::string> fields;
        split(fields, max_columns + 1);
        label_column_ = fields.size() > 1 && fields[0].empty();
        names_.assign(fields.begin() + (label_column_ ? 1 : 0), fields.end());
        bool all_numbers = true;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const std::size_t column = i + 1 + (label_column_ ? 1 : 0);
            if (names_[i].empty()) fail(column, "the column has no name in the header");
            if (names_[i].size() > max_name_length)
                fail(column, "a name longer than " + std::to_string(max_name_length) + " characters");
            all_numbers = all_numbers && parse_count(names_[i], max_count).kind != CountKind::not_a_number;
            if (kind_ != FieldDataKind::incidence_raw)
                for (std::size_t j = 0; j < i; ++j)
                    if (names_[j] == names_[i])
                        fail(column, "the name " + shown(names_[i]) + " of column " +
                                         std::to_string(j + 1 + (label_column_ ? 1 : 0)) +
                                         " again: every assemblage needs a name of its own");
        }
        if (all_numbers)
            fail(1, "the first line holds numbers only: it must name the columns (for example site1,site2)");
        values_.assign(names_.size(), {});
        totals_.assign(names_.size(), 0);
    }

    void read_row(const std::vector<std::string>& fields) {
        const std::size_t first = label_column_ ? 1 : 0;
        const bool units_row = kind_ == FieldDataKind::incidence_frequencies && !units_read_;
        if (!units_row) {
            if (rows_ == max_species_rows)
                fail(0, "more than " + std::to_string(max_species_rows) + " species lines");
            if (label_column_) labels_.push_back(fields[0]);
        }
        for (std::size_t c = 0; c < names_.size(); ++c) {
            const std::string& field = fields[first + c];
            const std::size_t column = first + c + 1;
            const Count count = parse_count(field, max_count);
            if (units_row) {
                if (count.kind == CountKind::missing)
                    fail(column, "the first line below the header gives the number of sampling units T; it is missing");
                check_whole(count, field, column);
                if (count.value < 1) fail(column, "the number of sampling units T must be at least 1, not 0");
                totals_[c] = count.value;
                continue;
            }
            std::int64_t value = 0;
            if (count.kind == CountKind::missing) {
                if (kind_ == FieldDataKind::incidence_raw)
                    fail(column, "a missing value: a raw incidence table holds 0 or 1 in every unit");
            } else {
                check_whole(count, field, column);
                value = count.value;
            }
            store(c, column, value);
        }
        if (units_row) {
            units_read_ = true;
            units_line_ = line_number_;
        } else {
            ++rows_;
        }
    }

    void store(std::size_t c, std::size_t column, std::int64_t value) {
        std::vector<std::int64_t>& column_values = values_[c];
        switch (kind_) {
            case FieldDataKind::abundance:
                if (value > max_count - totals_[c])
                    fail(column, "the column's individuals come to more than " + std::to_string(max_count));
                totals_[c] += value;
                column_values.push_back(value);
                return;
            case FieldDataKind::incidence_frequencies:
                if (value > totals_[c])
                    fail(column, "the species is found in " + std::to_string(value) + " units, more than the " +
                                     std::to_string(totals_[c]) + " sampling units on line " +
                                     std::to_string(units_line_));
                column_values.push_back(value);
                return;
            case FieldDataKind::incidence_raw:
                if (value > 1)
                    fail(column, "a raw incidence table holds 0 or 1 in every unit, not " + std::to_string(value));
                if (value == 1) column_values.push_back(static_cast<std::int64_t>(rows_));  // the rows present
                return;
        }
    }

    void check_whole(const Count& count, const std::string& field, std::size_t column) {
        switch (count.kind) {
            case CountKind::whole:
            case CountKind::missing: return;
            case CountKind::negative: fail(column, "a negative count (" + shown(field) + ")");
            case CountKind::fractional:
                fail(column, "a fractional count (" + shown(field) + "): counts are whole numbers");
            case CountKind::too_large:
                fail(column, "a count above " + std::to_string(max_count) + " (" + shown(field) + ")");
            case CountKind::not_a_number: fail(column, "text where a count belongs (" + shown(field) + ")");
        }
    }

    FieldData finish() {
        if (rows_ == 0)
            fail_at(header_line_, 0, kind_ == FieldDataKind::incidence_frequencies && units_read_
                                         ? "no species below the line of sampling units: the columns are empty"
                                         : "no species below the header: the columns are empty");
        FieldData data;
        data.kind = kind_;
        data.species = std::move(labels_);
        const std::size_t first = label_column_ ? 2 : 1;
        if (kind_ == FieldDataKind::incidence_raw) {
            finish_raw(data, first);
            return data;
        }
        for (std::size_t c = 0; c < names_.size(); ++c) {
            if (std::none_of(values_[c].begin(), values_[c].end(), [](std::int64_t v) { return v > 0; }))
                fail_at(header_line_, first + c, "the column holds no species: every count is 0 or missing");
            FieldAssemblage a;
            a.name = names_[c];
            if (kind_ == FieldDataKind::abundance)
                a.abundance.individuals = std::move(values_[c]);
            else
                a.incidence = IncidenceSample{totals_[c], std::move(values_[c])};
            data.assemblages.push_back(std::move(a));
        }
        return data;
    }

    // Columns of one name are the units of one assemblage, in the order the names first appear.
    void finish_raw(FieldData& data, std::size_t first) {
        std::vector<bool> taken(names_.size(), false);
        for (std::size_t c = 0; c < names_.size(); ++c) {
            if (taken[c]) continue;
            FieldAssemblage a;
            a.name = names_[c];
            a.incidence.incidences.assign(rows_, 0);
            bool any = false;
            for (std::size_t u = c; u < names_.size(); ++u) {
                if (taken[u] || names_[u] != names_[c]) continue;
                taken[u] = true;
                std::vector<int> present;
                present.reserve(values_[u].size());
                for (const std::int64_t row : values_[u]) {
                    present.push_back(static_cast<int>(row));
                    ++a.incidence.incidences[static_cast<std::size_t>(row)];
                }
                any = any || !present.empty();
                a.presence.push_back(std::move(present));
                values_[u].clear();
                values_[u].shrink_to_fit();
            }
            if (!any)
                fail_at(header_line_, first + c, "the assemblage holds no species: every unit of it is 0");
            a.incidence.units = static_cast<std::int64_t>(a.presence.size());
            data.assemblages.push_back(std::move(a));
        }
    }

    [[noreturn]] void fail(std::size_t column, const std::string& message) { fail_at(line_number_, column, message); }

    [[noreturn]] void fail_at(long long line, std::size_t column, const std::string& message) {
        FieldDataFault f;
        f.line = line;
        f.column = column;
        const std::size_t first = label_column_ ? 2 : 1;
        if (column >= first && column - first < names_.size()) f.assemblage = names_[column - first];
        f.message = message;
        throw Refusal{std::move(f)};
    }

    std::istream& in_;
    FieldDataKind kind_;
    TextLine line_;
    long long line_number_ = 0;
    long long header_line_ = 0;
    FieldSeparator separator_ = FieldSeparator::blanks;
    bool label_column_ = false;
    bool first_data_line_ = true;
    std::vector<std::string> names_;
    std::vector<std::string> labels_;
    // Per column: abundance and frequencies the value of every species row,
    // raw incidence the rows holding a 1.
    std::vector<std::vector<std::int64_t>> values_;
    // Per column: abundance the individuals so far, frequencies the units T.
    std::vector<std::int64_t> totals_;
    bool units_read_ = false;
    long long units_line_ = 0;
    std::size_t rows_ = 0;
};

}  // namespace

std::string describe(const FieldDataFault& fault) {
    std::string where = "line " + std::to_string(fault.line);
    if (fault.column > 0) where += ", column " + std::to_string(fault.column);
    if (!fault.assemblage.empty()) where += " (" + shown(fault.assemblage) + ")";
    return where + ": " + fault.message;
}

FieldDataRead read_field_data(std::istream& in, FieldDataKind kind) {
    FieldDataRead result;
    try {
        result.data = FieldReader(in, kind).read();
    } catch (const Refusal& refusal) {
        result.fault = refusal.fault;
    }
    return result;
}

}  // namespace lorvenna
