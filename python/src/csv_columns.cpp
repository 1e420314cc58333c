#include "csv_columns.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <deque>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace lorvenna_py {
namespace {

// The fields of every record as views of the text; a quoted field that holds
// a doubled quote is unescaped into `owned`, which keeps its address.
class CsvSplitter {
public:
    explicit CsvSplitter(const std::string& text) : s_(text) {}

    // The next record; false at the end of the text.
    bool next(std::vector<std::string_view>& fields) {
        fields.clear();
        if (at_ >= s_.size()) return false;
        for (;;) {
            fields.push_back(field());
            if (at_ >= s_.size()) return true;
            const char end = s_[at_++];
            if (end == ',') continue;
            if (end == '\r' && at_ < s_.size() && s_[at_] == '\n') ++at_;
            return true;
        }
    }

private:
    std::string_view field() {
        const std::size_t start = at_;
        if (at_ < s_.size() && s_[at_] == '"') {
            std::string unquoted;
            bool escaped = false;
            ++at_;
            for (;;) {
                if (at_ >= s_.size()) throw std::runtime_error("a quoted CSV field is not closed");
                const char c = s_[at_++];
                if (c != '"') {
                    unquoted.push_back(c);
                } else if (at_ < s_.size() && s_[at_] == '"') {
                    unquoted.push_back('"');
                    escaped = true;
                    ++at_;
                } else {
                    break;
                }
            }
            // Text after the closing quote belongs to the field, as R and pandas read it.
            const std::size_t tail = at_;
            while (at_ < s_.size() && s_[at_] != ',' && s_[at_] != '\n' && s_[at_] != '\r') ++at_;
            if (!escaped && tail == at_) return std::string_view(s_).substr(start + 1, at_ - start - 2);
            unquoted.append(s_, tail, at_ - tail);
            return owned_.emplace_back(std::move(unquoted));
        }
        while (at_ < s_.size() && s_[at_] != ',' && s_[at_] != '\n' && s_[at_] != '\r') ++at_;
        return std::string_view(s_).substr(start, at_ - start);
    }

    const std::string& s_;
    std::size_t at_ = 0;
    std::deque<std::string> owned_;
};

bool is_na(std::string_view f) { return f == "NA"; }

bool read_whole(std::string_view f, std::int64_t& v) {
    const char* begin = f.data();
    if (!f.empty() && f.front() == '+') ++begin;
    const auto [end, error] = std::from_chars(begin, f.data() + f.size(), v);
    return error == std::errc() && end == f.data() + f.size() && begin != end;
}

bool read_real(std::string_view f, double& v) {
    const char* begin = f.data();
    if (!f.empty() && f.front() == '+') ++begin;
    const auto [end, error] = std::from_chars(begin, f.data() + f.size(), v);
    if (error == std::errc::result_out_of_range) return false;
    return error == std::errc() && end == f.data() + f.size() && begin != end && std::isfinite(v);
}

int read_truth(std::string_view f) {
    if (f == "TRUE") return 1;
    if (f == "FALSE") return 0;
    return -1;
}

// Fills `c` from its fields with the narrowest kind that holds every field.
void classify(CsvColumn& c, const std::vector<std::string_view>& fields) {
    const std::size_t n = fields.size();
    c.missing.assign(n, 0);
    bool any = false, logical = true, whole = true, real = true;
    std::int64_t w = 0;
    double r = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view f = fields[i];
        if (is_na(f) || f.empty()) {
            c.missing[i] = 1;
            continue;
        }
        any = true;
        if (logical && read_truth(f) < 0) logical = false;
        if (whole && !read_whole(f, w)) whole = false;
        if (real && !whole && !read_real(f, r)) real = false;
        if (!logical && !whole && !real) break;
    }
    if (!any) {  // NA throughout
        c.kind = CsvColumn::Kind::real;
        c.reals.assign(n, std::numeric_limits<double>::quiet_NaN());
        return;
    }
    if (logical) {
        c.kind = CsvColumn::Kind::logical;
        c.truths.resize(n);
        for (std::size_t i = 0; i < n; ++i) c.truths[i] = c.missing[i] ? 0 : read_truth(fields[i]) == 1;
        return;
    }
    if (whole) {
        c.kind = CsvColumn::Kind::whole;
        c.wholes.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            if (!c.missing[i]) read_whole(fields[i], c.wholes[i]);
        return;
    }
    if (real) {
        c.kind = CsvColumn::Kind::real;
        c.reals.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            if (c.missing[i])
                c.reals[i] = std::numeric_limits<double>::quiet_NaN();
            else
                read_real(fields[i], c.reals[i]);
        return;
    }
    c.kind = CsvColumn::Kind::text;
    c.texts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        c.texts.emplace_back(fields[i]);
        c.missing[i] = is_na(fields[i]);  // an empty text is a text
    }
}

// Every field as written, none missing: a column of names, whatever they read as.
void keep_as_written(CsvColumn& c, const std::vector<std::string_view>& fields) {
    c.kind = CsvColumn::Kind::text;
    c.missing.assign(fields.size(), 0);
    c.texts.assign(fields.begin(), fields.end());
}

}  // namespace

CsvTable read_csv_columns(const std::string& text, const std::vector<std::string>& names_as_written) {
    CsvSplitter splitter(text);
    std::vector<std::string_view> header, record;
    CsvTable table;
    if (!splitter.next(header)) return table;
    const std::size_t ncol = header.size();
    std::vector<std::vector<std::string_view>> fields(ncol);
    std::size_t line = 1;
    while (splitter.next(record)) {
        ++line;
        if (record.size() == 1 && record[0].empty() && ncol > 1) continue;  // a blank line
        if (record.size() != ncol)
            throw std::runtime_error("CSV line " + std::to_string(line) + " has " + std::to_string(record.size()) +
                                     " fields where the header names " + std::to_string(ncol));
        for (std::size_t c = 0; c < ncol; ++c) fields[c].push_back(record[c]);
    }
    table.rows = ncol > 0 ? fields[0].size() : 0;
    table.columns.resize(ncol);
    for (std::size_t c = 0; c < ncol; ++c) {
        table.columns[c].name = std::string(header[c]);
        if (std::find(names_as_written.begin(), names_as_written.end(), table.columns[c].name) !=
            names_as_written.end())
            keep_as_written(table.columns[c], fields[c]);
        else
            classify(table.columns[c], fields[c]);
        std::vector<std::string_view>().swap(fields[c]);
    }
    return table;
}

AsciiGrid read_ascii_grid(const std::string& text) {
    AsciiGrid grid;
    std::size_t at = 0;
    double nodata = std::numeric_limits<double>::quiet_NaN();
    bool has_nodata = false;
    // Head lines: a key and a number.
    while (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at]))) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view head(text.data() + at, end - at);
        at = end < text.size() ? end + 1 : end;
        const std::size_t blank = head.find(' ');
        double value = 0.0;
        std::string_view number = blank == std::string_view::npos ? std::string_view() : head.substr(blank + 1);
        while (!number.empty() && std::isspace(static_cast<unsigned char>(number.back()))) number.remove_suffix(1);
        while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
        if (!read_real(number, value))
            throw std::runtime_error("a grid head line has no number: " + std::string(head));
        const std::string_view key = head.substr(0, blank);
        if (key == "ncols") grid.ncols = static_cast<long>(value);
        if (key == "nrows") grid.nrows = static_cast<long>(value);
        if (key == "NODATA_value") {
            nodata = value;
            has_nodata = true;
        }
    }
    if (grid.ncols <= 0 || grid.nrows <= 0) throw std::runtime_error("the grid has no ncols or nrows line");
    const long cells = grid.ncols * grid.nrows;
    grid.values.assign(static_cast<std::size_t>(cells), 0.0);
    long read = 0;
    while (at < text.size()) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        if (at >= text.size()) break;
        const std::size_t start = at;
        while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        const std::string_view token(text.data() + start, at - start);
        double v = 0.0;
        if (!read_real(token, v)) throw std::runtime_error("the grid holds a value that is not a number: " + std::string(token));
        if (read >= cells) throw std::runtime_error("the grid holds more values than ncols x nrows");
        const long x = read % grid.ncols;
        const long y = grid.nrows - 1 - read / grid.ncols;  // the first line is the top row
        grid.values[static_cast<std::size_t>(y * grid.ncols + x)] =
            has_nodata && v == nodata ? std::numeric_limits<double>::quiet_NaN() : v;
        ++read;
    }
    if (read != cells) throw std::runtime_error("the grid holds fewer values than ncols x nrows");
    return grid;
}

}  // namespace lorvenna_py
