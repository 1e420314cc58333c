#pragma once
// Reading a large CSV table (RFC 4180, as the tidy tables are written) record
// by record from its text in memory: the fields of a record are views into
// the text, so a table of a million rows is read without an allocation per
// row.  Quoted fields are unquoted in place (a doubled quote becomes one);
// a record ends at a line break outside quotes, a carriage return before it
// is dropped.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lorvenna {

class CsvRecords {
public:
    explicit CsvRecords(std::string text) : text_(std::move(text)) {}
    // The fields of the next record (valid while this reader lives); false at the end of the text.
    bool next(std::vector<std::string_view>& fields);

private:
    bool next_quoted(std::vector<std::string_view>& fields);
    std::string text_;
    std::size_t at_ = 0;
};

// The bytes of a file; nullopt when it cannot be read.
std::optional<std::string> read_file_text(const std::filesystem::path& path);

}  // namespace lorvenna
