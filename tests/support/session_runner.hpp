#pragma once
// Whole sessions in-process: scripted console answers, a fixed seed word, a
// fixed elapsed clock (so the console transcript is reproducible) and input
// and report files in memory.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/session_options.hpp"
#include "support/memory_files.hpp"

namespace lorvenna::testing {

struct SessionScript {
    std::vector<std::string> answers;  // console input, one line each
    std::uint32_t seed = 12345;
    std::map<std::string, std::string> inputs;       // input files by name
    std::function<void(Io&, MemoryFiles&)> setup;    // caps and faults, before the session starts
    std::optional<SessionOptions> options = std::nullopt;  // a run with options (the seed word is `seed`)
};

struct SessionResult {
    int status = 0;
    std::string console;
    std::map<std::string, std::string> files;  // every report file the session created
    std::uint64_t uniform_draws = 0;

    std::vector<std::string> console_lines() const;
    std::string file(const std::string& name) const;
};

SessionResult run_script(const SessionScript& script);
inline SessionResult run_session_with(const std::vector<std::string>& answers, std::uint32_t seed = 12345,
                                      const std::map<std::string, std::string>& inputs = {}) {
    return run_script({answers, seed, inputs, {}});
}

// Number of lines equal to `text`.
int count_lines(const std::vector<std::string>& lines, const std::string& text);

// The files of a folder by name, less those that differ between two runs of
// the same inputs: timings.csv (seconds) and the manifest (which records the
// size of that table).
// The bytes of a file; empty when it does not open.
std::string file_text(const std::filesystem::path& file);

std::map<std::string, std::string> reproducible_files(const std::filesystem::path& folder);

// A fresh directory under the temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace lorvenna::testing
