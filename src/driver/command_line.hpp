#pragma once
// The command line: options of a run, and the commands that work on the
// output folders of earlier runs.
#include <filesystem>
#include <string>
#include <vector>

#include "core/io_seam.hpp"
#include "data/session_options.hpp"
#include "driver/estimate_command.hpp"

namespace lorvenna {

struct CommandLine {
    enum class Action { run, merge, bias, estimate, help, version, usage_error } action = Action::run;
    SessionOptions options;
    // lorvenna merge OUT DIR... [--allow-gaps]
    std::string merge_into;
    std::vector<std::string> merge_from;
    bool allow_gaps = false;
    // lorvenna bias DIR [--quantity Q]
    std::string bias_of;
    // lorvenna estimate (--abundance FILE | --incidence FILE | --incidence-raw FILE) ...
    EstimateOptions estimate;
    std::string bias_quantity = "richness";
    std::string error;  // what was wrong, for a usage error
};

// Reads the arguments (without the program name).  Values are checked for
// their form here; whether the named files exist is checked by check_files.
CommandLine parse_command_line(const std::vector<std::string>& args);
// The usage error for a batch or rank-order file that cannot be opened, or an
// empty string when the files named can be read.
std::string check_files(const SessionOptions& options, FileSystem& files, const std::filesystem::path& input_dir);

std::string usage_text();
std::string version_text();

}  // namespace lorvenna
