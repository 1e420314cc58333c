#pragma once
// Shared pieces of the fuzz targets: a console over the input bytes, report
// files that go nowhere, and input files served from memory.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "driver/io_seam.hpp"
#include "driver/session.hpp"

namespace lorvenna::fuzzing {

// A report file that keeps nothing.  It counts what is written and, past its
// capacity, fails the way a full disk does: a pass that would write megabytes
// then ends through the program's own write-failure path instead of filling
// memory, and that path is fuzzed along the way.
class DiscardingReport : public std::ostream {
public:
    explicit DiscardingReport(std::size_t capacity) : std::ostream(&sink_), sink_(capacity) {}

private:
    class Sink : public std::streambuf {
    public:
        explicit Sink(std::size_t capacity) : left_(capacity) {}

    protected:
        int_type overflow(int_type c) override {
            if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
            return xsputn(nullptr, 1) == 1 ? c : traits_type::eof();
        }
        std::streamsize xsputn(const char*, std::streamsize n) override {
            const auto wanted = static_cast<std::size_t>(n);
            if (wanted > left_) {
                left_ = 0;
                return 0;
            }
            left_ -= wanted;
            return n;
        }

    private:
        std::size_t left_;
    };
    Sink sink_;
};

// Report files are discarded; named input files are served from memory.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> inputs;  // file name -> contents
    std::size_t report_capacity = std::size_t{1} << 18;  // bytes each report file takes

    std::unique_ptr<std::ostream> create(const std::filesystem::path&) override {
        return std::make_unique<DiscardingReport>(report_capacity);
    }
    std::unique_ptr<std::istream> open_existing(const std::filesystem::path& path) override {
        const auto it = inputs.find(path.filename().string());
        if (it == inputs.end()) return nullptr;
        return std::make_unique<std::istringstream>(it->second);
    }
};

// Small caps so that every input runs in milliseconds: larger passes are refused.
inline void cap_pass_sizes(Io& io) {
    io.max_pass_bytes = 1u << 16;
    io.max_individuals = 500.0;
    io.max_uniform_draws = 25000;
}

// Runs one whole session on the given console answers and in-memory files, under the caps.
inline void run_capped_session(MemoryFileSystem& files, const std::string& answers) {
    std::istringstream in(answers);
    std::ostringstream out;
    Io io{in, out, ".", files};
    io.elapsed = [] { return 0LL; };
    cap_pass_sizes(io);
    run_session(io, 12345);
}

}  // namespace lorvenna::fuzzing
