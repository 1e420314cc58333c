#include "support/session_runner.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "driver/io_seam.hpp"
#include "driver/session.hpp"

namespace lorvenna::testing {

namespace {
std::string rstrip(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}
}  // namespace

std::vector<std::string> SessionResult::console_lines() const { return split_lines(console); }

bool SessionResult::exists(const std::string& name) const { return std::filesystem::exists(dir / name); }

std::string SessionResult::file(const std::string& name) const {
    std::ifstream in(dir / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> SessionResult::file_lines(const std::string& name) const { return split_lines(file(name)); }

std::filesystem::path fresh_directory() {
    std::string templ = (std::filesystem::temp_directory_path() / "lorvenna-test-XXXXXX").string();
    const char* made = mkdtemp(templ.data());
    return made ? std::filesystem::path(made) : std::filesystem::path{};
}

SessionResult run_session_with(const std::vector<std::string>& answers, std::uint32_t seed,
                               const std::map<std::string, std::string>& files) {
    SessionResult result;
    result.dir = fresh_directory();
    for (const auto& [name, text] : files) std::ofstream(result.dir / name, std::ios::binary) << text;
    std::string script;
    for (const auto& a : answers) script += a + "\n";
    std::istringstream in(script);
    std::ostringstream out;
    Io io{in, out, result.dir, real_file_system()};
    io.elapsed = [] { return 3725LL; };
    result.status = run_session(io, seed);
    result.console = out.str();
    return result;
}

int find_line(const std::vector<std::string>& lines, const std::string& text, int from) {
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (rstrip(lines[static_cast<std::size_t>(i)]) == rstrip(text)) return i;
    return -1;
}

int count_lines(const std::vector<std::string>& lines, const std::string& text) {
    int n = 0;
    for (const auto& l : lines) n += rstrip(l) == rstrip(text) ? 1 : 0;
    return n;
}

std::vector<std::string> tokens(const std::string& line) {
    std::istringstream s(line);
    std::vector<std::string> t;
    for (std::string w; s >> w;) t.push_back(w);
    return t;
}

}  // namespace lorvenna::testing
