#pragma once
// Runs whole sessions in-process: scripted console answers, a fixed seed word
// and a fresh temporary directory for the report files.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace lorvenna::testing {

struct SessionResult {
    int status = 0;
    std::string console;
    std::filesystem::path dir;

    std::vector<std::string> console_lines() const;
    bool exists(const std::string& name) const;
    std::string file(const std::string& name) const;
    std::vector<std::string> file_lines(const std::string& name) const;
};

// A fresh empty directory under the system's temporary directory.
std::filesystem::path fresh_directory();

SessionResult run_session_with(const std::vector<std::string>& answers, std::uint32_t seed = 12345,
                               const std::map<std::string, std::string>& files = {});

// Index of the first console line equal to text (trailing blanks ignored), or -1.
int find_line(const std::vector<std::string>& lines, const std::string& text, int from = 0);
int count_lines(const std::vector<std::string>& lines, const std::string& text);

// The blank-separated tokens of a report line.
std::vector<std::string> tokens(const std::string& line);

}  // namespace lorvenna::testing
