#pragma once
// A work area over in-memory console streams and a temporary output
// directory, for driving the batch reader, the rank-order reader and the
// rank-order community without a whole session.
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "driver/io_seam.hpp"
#include "driver/program_end.hpp"
#include "support/session_runner.hpp"
#include "work_area.hpp"

namespace lorvenna::testing {

struct BatchBench {
    std::istringstream in;
    std::ostringstream out;
    std::filesystem::path dir = fresh_directory();
    Io io{in, out, dir, real_file_system()};
    WorkArea wa{io};

    explicit BatchBench(const std::string& console_answers = "") : in(console_answers) {
        io.elapsed = [] { return 0LL; };
    }
    ~BatchBench() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    BatchBench(const BatchBench&) = delete;
    BatchBench& operator=(const BatchBench&) = delete;

    // The ProgramEnd that f ends with, if any.
    static std::optional<ProgramEnd> ends(const std::function<void()>& f) {
        try {
            f();
        } catch (const ProgramEnd& end) {
            return end;
        }
        return std::nullopt;
    }
    void write_file(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string read_file(const std::string& name) const {
        std::ifstream f(dir / name, std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }
    bool console_has(const std::string& line) const { return find_line(lines(out.str()), line) >= 0; }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> v;
        std::istringstream s(text);
        for (std::string l; std::getline(s, l);) v.push_back(l);
        return v;
    }
};

// A stream that serves `text` and then fails as a broken disk would.
class FailingStream : public std::istream {
    struct Buffer : std::streambuf {
        std::string text;
        bool served = false;
        int_type underflow() override {
            if (served || text.empty()) throw std::runtime_error("read failure");
            served = true;
            setg(text.data(), text.data(), text.data() + text.size());
            return traits_type::to_int_type(text[0]);
        }
    } buffer_;

public:
    explicit FailingStream(std::string text) : std::istream(nullptr) {
        buffer_.text = std::move(text);
        rdbuf(&buffer_);
    }
};

// A valid batch row of a small model (columns in file order), some columns replaced.
inline std::string batch_row(const std::vector<std::pair<std::string, std::string>>& over = {}) {
    std::vector<std::pair<std::string, std::string>> v = {
        {"Areal", "20"},   {"SampA", "16"},     {"maxSa", "3"},    {"minSa", "1"},      {"StepSa", "1"},
        {"Sampfac", "1"},  {"Method", "seq"},   {"Species", "10"}, {"maxD", "1"},       {"minD", "0"},
        {"Dfluc", "-1"},   {"Flucmy", "0.5"},   {"Flucvar", "0.1"}, {"DWD", "rnd"},     {"SWD", "normal"},
        {"Class", "3"},    {"SWDmy", "2"},      {"SWDvar", "1"},   {"DWDmy", "1"},      {"DWDvar", "0"},
        {"Aggr", "0"},     {"AreaHet", "0"},    {"NicheNo", "0"},  {"RndHet", "fix"},   {"Fractal", "rmd"},
        {"Scale1", "2"},   {"Scale2", "1"},     {"Range", "0"},    {"HabGrad", "0"},    {"DivInd", "sha"},
        {"Permut", "1"},   {"GridHet", "fix"}};
    for (const auto& [name, value] : over) {
        auto it = v.begin();
        while (it != v.end() && it->first != name) ++it;
        if (it == v.end()) throw std::logic_error("no batch column " + name);
        it->second = value;
    }
    std::string row;
    for (const auto& column : v) row += (row.empty() ? "" : " ") + column.second;
    return row;
}

inline const std::string batch_header =
    "  Areal   SampA  maxSa   minSa  StepSa Sampfac  Method Species      maxD       minD   Dfluc  Flucmy FlucStD   DWD "
    "       SWD   Class   SWDmy  SWDStD   DWDmy  DWDStD  Aggreg AreaHet   NicheN  RndHet   FracM   Scale1    Scale2 "
    "Range Gradient DivInd Permut  GridHet";

}  // namespace lorvenna::testing
