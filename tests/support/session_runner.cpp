#include "support/session_runner.hpp"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "driver/session.hpp"
#include "support/work_bench.hpp"

namespace lorvenna::testing {

std::vector<std::string> SessionResult::console_lines() const { return lines(console); }

std::string SessionResult::file(const std::string& name) const {
    const auto it = files.find(name);
    return it == files.end() ? std::string() : it->second;
}

SessionResult run_script(const SessionScript& script) {
    MemoryFiles files;
    files.inputs = script.inputs;
    std::string answers;
    for (const auto& a : script.answers) answers += a + "\n";
    std::istringstream in(answers);
    std::ostringstream out;
    Io io{in, out, ".", files};
    io.elapsed = [] { return 3725LL; };
    if (script.setup) script.setup(io, files);
    SessionResult result;
    const SessionObserver observe = [&result](const Session& s) { result.uniform_draws = s.pass.random.uniform_draws(); };
    if (script.options) {
        SessionOptions options = *script.options;
        options.seed = script.seed;
        result.status = run_session(io, options, observe);
    } else {
        result.status = run_session(io, script.seed, observe);
    }
    result.console = out.str();
    for (const auto& [name, text] : files.outputs) result.files[name] = text;
    return result;
}

int count_lines(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

std::string file_text(const std::filesystem::path& file) {
    std::ifstream f(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::map<std::string, std::string> reproducible_files(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name == "timings.csv" || name == "lorvenna-manifest.txt") continue;
        files[name] = file_text(entry.path());
    }
    return files;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lorvenna-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace lorvenna::testing
