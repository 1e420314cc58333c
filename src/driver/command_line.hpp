#pragma once
// Command-line options: --seed N repeats a run, --help, --version.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lorvenna {

struct CommandLine {
    enum class Action { run, help, version, usage_error } action = Action::run;
    std::optional<std::uint32_t> seed;
    std::string error;  // what was wrong, for a usage error
};

CommandLine parse_command_line(const std::vector<std::string>& args);
std::string usage_text();
std::string version_text();

}  // namespace lorvenna
