#include "core/csv_records.hpp"

#include <cstring>
#include <fstream>

namespace lorvenna {

bool CsvRecords::next(std::vector<std::string_view>& fields) {
    fields.clear();
    if (at_ >= text_.size()) return false;
    const char* const begin = text_.data() + at_;
    const std::size_t left = text_.size() - at_;
    const char* end = static_cast<const char*>(std::memchr(begin, '\n', left));
    const char* const stop = end != nullptr ? end : begin + left;
    // Most records hold no quote: their fields are cut at the commas.
    if (std::memchr(begin, '"', static_cast<std::size_t>(stop - begin)) != nullptr) return next_quoted(fields);
    const char* line_end = stop;
    if (line_end > begin && line_end[-1] == '\r') --line_end;
    const char* field = begin;
    for (const char* c = begin; c < line_end; ++c)
        if (*c == ',') {
            fields.emplace_back(field, static_cast<std::size_t>(c - field));
            field = c + 1;
        }
    fields.emplace_back(field, static_cast<std::size_t>(line_end - field));
    at_ = static_cast<std::size_t>(stop - text_.data()) + (end != nullptr ? 1 : 0);
    return true;
}

// A record with quotes, char by char; the unquoted field is written back over its own text.
bool CsvRecords::next_quoted(std::vector<std::string_view>& fields) {
    char* const text = text_.data();
    std::size_t i = at_, out = at_, field = at_;
    bool quoted = false;
    const auto close_field = [&] {
        fields.emplace_back(text + field, out - field);
    };
    while (i < text_.size()) {
        const char c = text[i++];
        if (quoted) {
            if (c == '"') {
                if (i < text_.size() && text[i] == '"') {
                    text[out++] = '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                text[out++] = c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            close_field();
            out = field = i;
        } else if (c == '\n') {
            break;
        } else if (c != '\r') {
            text[out++] = c;
        }
    }
    close_field();
    at_ = i;
    return true;
}

std::optional<std::string> read_file_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0, std::ios::beg);
    if (!in.read(text.data(), size)) return std::nullopt;
    return text;
}

}  // namespace lorvenna
