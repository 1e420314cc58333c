#include "driver/command_line.hpp"

#include <charconv>

namespace lorvenna {

CommandLine parse_command_line(const std::vector<std::string>& args) {
    CommandLine cl;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            cl.action = CommandLine::Action::help;
            return cl;
        }
        if (a == "--version") {
            cl.action = CommandLine::Action::version;
            return cl;
        }
        std::string value;
        if (a == "--seed" && i + 1 < args.size()) {
            value = args[++i];
        } else if (a.rfind("--seed=", 0) == 0) {
            value = a.substr(7);
        } else {
            cl.action = CommandLine::Action::usage_error;
            cl.error = a == "--seed" ? "--seed needs a value" : "unknown option " + a;
            return cl;
        }
        std::uint32_t seed = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
        if (value.empty() || ec != std::errc() || ptr != value.data() + value.size()) {
            cl.action = CommandLine::Action::usage_error;
            cl.error = "the seed word must be a whole number from 0 to 4294967295, not " + value;
            return cl;
        }
        cl.seed = seed;
    }
    return cl;
}

std::string usage_text() {
    return "Usage: lorvenna [--seed N] [--help] [--version]\n"
           "\n"
           "Builds a virtual assemblage of species on a grid and samples it.  The program\n"
           "asks its questions on the console (or reads a batch file you name there) and\n"
           "writes its reports into the current directory.\n"
           "\n"
           "  --seed N    start the random stream from seed word N (0 to 4294967295), so a\n"
           "              run can be repeated exactly; without it the seed word comes from\n"
           "              the clock and is shown in the banner\n"
           "  --help      show this text\n"
           "  --version   show the version\n";
}

std::string version_text() { return std::string("lorvenna ") + LORVENNA_VERSION + "\n"; }

}  // namespace lorvenna
