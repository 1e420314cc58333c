#include "tables.h"

#include <R_ext/Utils.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace lorvenna_r {
namespace {

struct Field {
    std::string text;
    bool quoted = false;
};

// Splits CSV text into records of fields.  Quoted fields may hold commas,
// doubled quotes and line breaks; lines end at LF or CR LF.
class CsvReader {
public:
    explicit CsvReader(const std::string& text) : s_(text) {}

    // The next record; false at the end of the text.
    bool next(std::vector<Field>& fields) {
        fields.clear();
        if (at_ >= s_.size()) return false;
        for (;;) {
            Field f;
            if (at_ < s_.size() && s_[at_] == '"') {
                f.quoted = true;
                ++at_;
                for (;;) {
                    if (at_ >= s_.size()) throw std::runtime_error("a quoted CSV field is not closed");
                    const char c = s_[at_++];
                    if (c == '"') {
                        if (at_ < s_.size() && s_[at_] == '"') {
                            f.text.push_back('"');
                            ++at_;
                        } else {
                            break;
                        }
                    } else {
                        f.text.push_back(c);
                    }
                }
            }
            while (at_ < s_.size() && s_[at_] != ',' && s_[at_] != '\n' && s_[at_] != '\r') f.text.push_back(s_[at_++]);
            fields.push_back(std::move(f));
            if (at_ >= s_.size()) return true;
            const char end = s_[at_++];
            if (end == ',') continue;
            if (end == '\r' && at_ < s_.size() && s_[at_] == '\n') ++at_;
            return true;
        }
    }

private:
    const std::string& s_;
    std::size_t at_ = 0;
};

bool is_na(const Field& f) { return f.text == "NA"; }

// A number as R reads it, or false when the whole text is not one.
bool r_number(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    value = R_strtod(begin, &end);
    while (end != nullptr && *end != '\0' && std::isspace(static_cast<unsigned char>(*end))) ++end;
    return end == begin + text.size();
}

// A logical as R reads it: TRUE/FALSE in the spellings type.convert() takes.
int r_logical(const std::string& text) {
    if (text == "TRUE" || text == "T" || text == "true" || text == "True") return 1;
    if (text == "FALSE" || text == "F" || text == "false" || text == "False") return 0;
    return -1;
}

// A column of TRUE/FALSE (and NA) becomes logical, as read.csv() makes it;
// a column of numbers numeric, anything else character.  A column of NA
// alone stays numeric: it is a number the run could not give.
SEXP column_vector(const std::vector<Field>& fields) {
    const R_xlen_t n = static_cast<R_xlen_t>(fields.size());
    Rcpp::LogicalVector truths(n);
    bool logical = false;
    for (R_xlen_t i = 0; i < n; ++i) {
        const Field& f = fields[static_cast<std::size_t>(i)];
        if (is_na(f) || f.text.empty()) {
            truths[i] = NA_LOGICAL;
            continue;
        }
        const int t = r_logical(f.text);
        if (t < 0) {
            logical = false;
            break;
        }
        truths[i] = t;
        logical = true;
    }
    if (logical) return truths;
    Rcpp::NumericVector numbers(n);
    bool numeric = true;
    for (R_xlen_t i = 0; i < n && numeric; ++i) {
        const Field& f = fields[static_cast<std::size_t>(i)];
        double v = 0.0;
        if (is_na(f) || f.text.empty())
            numbers[i] = NA_REAL;
        else if (r_number(f.text, v))
            numbers[i] = v;
        else
            numeric = false;
    }
    if (numeric) return numbers;
    Rcpp::CharacterVector texts(n);
    for (R_xlen_t i = 0; i < n; ++i) {
        const Field& f = fields[static_cast<std::size_t>(i)];
        if (is_na(f))
            texts[i] = NA_STRING;
        else
            texts[i] = Rf_mkCharLenCE(f.text.data(), static_cast<int>(f.text.size()), CE_UTF8);
    }
    return texts;
}

}  // namespace

Rcpp::List csv_data_frame(const std::string& text) {
    CsvReader reader(text);
    std::vector<Field> header;
    if (!reader.next(header)) header.clear();
    const std::size_t ncol = header.size();
    std::vector<std::vector<Field>> columns(ncol);
    std::vector<Field> record;
    std::size_t line = 1;
    while (reader.next(record)) {
        ++line;
        if (ncol > 1 && record.size() == 1 && record[0].text.empty() && !record[0].quoted) continue;  // a blank line
        if (record.size() != ncol)
            throw std::runtime_error("CSV line " + std::to_string(line) + " has " + std::to_string(record.size()) +
                                     " fields where the header names " + std::to_string(ncol));
        for (std::size_t c = 0; c < ncol; ++c) columns[c].push_back(std::move(record[c]));
    }
    const std::size_t nrow = ncol > 0 ? columns[0].size() : 0;
    Rcpp::List frame(static_cast<R_xlen_t>(ncol));
    Rcpp::CharacterVector names(static_cast<R_xlen_t>(ncol));
    for (std::size_t c = 0; c < ncol; ++c) {
        frame[static_cast<R_xlen_t>(c)] = column_vector(columns[c]);
        names[static_cast<R_xlen_t>(c)] = header[c].text;
        std::vector<Field>().swap(columns[c]);
    }
    frame.attr("names") = names;
    frame.attr("row.names") = Rcpp::IntegerVector::create(NA_INTEGER, -static_cast<int>(nrow));
    frame.attr("class") = "data.frame";
    return frame;
}

SEXP ascii_grid_matrix(const std::string& text, bool whole) {
    std::size_t at = 0;
    long ncols = -1, nrows = -1;
    double nodata = NAN;
    bool has_nodata = false;
    // Head lines: a key and a value.
    while (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at]))) {
        const std::size_t end = text.find('\n', at);
        const std::string head = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        const std::size_t blank = head.find(' ');
        if (blank == std::string::npos) throw std::runtime_error("a grid head line has no value: " + head);
        const std::string key = head.substr(0, blank);
        double value = 0.0;
        if (!r_number(head.substr(blank + 1), value)) throw std::runtime_error("a grid head line has no number: " + head);
        if (key == "ncols") ncols = static_cast<long>(value);
        if (key == "nrows") nrows = static_cast<long>(value);
        if (key == "NODATA_value") {
            nodata = value;
            has_nodata = true;
        }
    }
    if (ncols < 0 || nrows < 0) throw std::runtime_error("the grid has no ncols or nrows line");
    Rcpp::NumericMatrix values(static_cast<int>(ncols), static_cast<int>(nrows));
    Rcpp::IntegerMatrix counts(whole ? static_cast<int>(ncols) : 0, whole ? static_cast<int>(nrows) : 0);
    long read = 0;
    const long cells = ncols * nrows;
    std::string token;
    while (at < text.size()) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        if (at >= text.size()) break;
        const std::size_t start = at;
        while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        token.assign(text, start, at - start);
        double v = 0.0;
        if (!r_number(token, v)) throw std::runtime_error("the grid holds a value that is not a number: " + token);
        if (read >= cells) throw std::runtime_error("the grid holds more values than ncols x nrows");
        const long x = read % ncols;
        const long y = nrows - 1 - read / ncols;  // the first line is the top row
        const bool missing = has_nodata && v == nodata;
        if (whole)
            counts(static_cast<int>(x), static_cast<int>(y)) = missing ? NA_INTEGER : static_cast<int>(v);
        else
            values(static_cast<int>(x), static_cast<int>(y)) = missing ? NA_REAL : v;
        ++read;
    }
    if (read != cells) throw std::runtime_error("the grid holds fewer values than ncols x nrows");
    if (whole) return counts;
    return values;
}

}  // namespace lorvenna_r
