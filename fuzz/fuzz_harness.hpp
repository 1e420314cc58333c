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

namespace lorvenna::fuzzing {

// Report files are written into memory and dropped; named input files are served from memory.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> inputs;  // file name -> contents

    std::unique_ptr<std::ostream> create(const std::filesystem::path&) override {
        return std::make_unique<std::ostringstream>();
    }
    std::unique_ptr<std::istream> open_existing(const std::filesystem::path& path) override {
        const auto it = inputs.find(path.filename().string());
        if (it == inputs.end()) return nullptr;
        return std::make_unique<std::istringstream>(it->second);
    }
};

// Small caps so that every input runs in milliseconds: larger passes are refused.
inline void cap_pass_sizes(Io& io) {
    io.max_pass_bytes = 1u << 20;
    io.max_individuals = 20000.0;
    io.max_uniform_draws = 2000000;
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
