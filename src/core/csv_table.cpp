#include "core/csv_table.hpp"

namespace lorvenna {
namespace {

// The fields of one record; a quoted field may span lines.
bool read_record(std::istream& in, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false, any = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        any = true;
        const char ch = static_cast<char>(c);
        if (quoted) {
            if (ch == '"') {
                if (in.peek() == '"') {
                    field += '"';
                    in.get();
                } else {
                    quoted = false;
                }
            } else {
                field += ch;
            }
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (ch == '\n') {
            fields.push_back(std::move(field));
            return true;
        } else if (ch != '\r') {
            field += ch;
        }
    }
    if (any) fields.push_back(std::move(field));
    return any;
}

}  // namespace

std::optional<std::size_t> CsvTable::column(const std::string& name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == name) return i;
    return std::nullopt;
}

std::optional<CsvTable> read_csv_table(std::istream& in) {
    CsvTable t;
    if (!read_record(in, t.columns)) return std::nullopt;
    std::vector<std::string> fields;
    while (read_record(in, fields)) {
        if (fields.size() != t.columns.size()) return std::nullopt;
        t.rows.push_back(fields);
    }
    return t;
}

}  // namespace lorvenna
