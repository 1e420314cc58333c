#pragma once
// Shared pieces of the fuzz targets: a console over the input bytes, report
// files that go nowhere, and input files served from memory.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "driver/io_seam.hpp"
#include "driver/session.hpp"
#include "support/full_disk_stream.hpp"

namespace lorvenna::fuzzing {

// Report files are discarded, and fail like a full disk past report_capacity
// bytes, so that a pass which would write megabytes ends early through the
// program's own write-failure path (fuzzed along the way); named input files
// are served from memory.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> inputs;  // file name -> contents
    std::size_t report_capacity = std::size_t{1} << 18;  // bytes each report file takes

    std::unique_ptr<std::ostream> create(const std::filesystem::path&) override {
        return std::make_unique<testing::FullDiskStream>(report_capacity);
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
