// Whole sessions under fixed seed words, compared byte for byte with the
// report files and the console transcript checked in under tests/golden.
// Any change of a result, of the order of the random draws, of a layout or
// of a console line shows up here as a unified diff naming the file.
// LORVENNA_UPDATE_GOLDEN=1 (scripts/update_golden.sh) writes them anew.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/session_runner.hpp"
#include "support/work_bench.hpp"

namespace lorvenna::testing {
namespace {

namespace fs = std::filesystem;

struct GoldenSession {
    const char* name;
    std::uint32_t seed;
    int status;
};

// Each session reads in/answers.txt as its console input and the other files
// of in/ as its input files; out/ holds console.txt, every report file and
// every tidy table.
const GoldenSession sessions[] = {
    {"every_design", 2026, 0},       // batch of the five designs with grid, map and cells files
    {"model_dialogue", 424242, 0},   // mode m through the dialogue: fluctuations, re-prompts, relative abundances
    {"sampling_dialogue", 31, 0},    // mode s through the dialogue: reshufflings, rmd clamp, niches, ranges
    {"rank_order_weights", 7, 0},    // a plain rank-order file with body weights, two blocks, two rows
    {"rank_order_assemblage", 8, 0}, // an assemblage file of two assemblages, two rows
    {"saturated_niches", 777, 0},    // a batch whose species run out of niches, with ranges and a gradient
    {"short_rows", 99, 1},           // short rows after a "super" row pass; after an "rmd" row they fail
    {"batch_template", 1, 0},        // mode b
};

void PrintTo(const GoldenSession& s, std::ostream* os) { *os << s.name; }

fs::path golden_dir(const char* session) { return fs::path(LORVENNA_SOURCE_DIR) / "tests" / "golden" / session; }

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// `diff -u` of the expected and the actual text of one file.
std::string unified_diff(const std::string& name, const std::string& expected, const std::string& actual) {
    TempDir tmp;
    fs::create_directories(tmp.path() / "expected");
    fs::create_directories(tmp.path() / "actual");
    write_file(tmp.path() / "expected" / name, expected);
    write_file(tmp.path() / "actual" / name, actual);
    const std::string command = "cd '" + tmp.path().string() + "' && diff -u expected/" + name + " actual/" + name;
    std::string diff;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) diff.append(chunk, got);
        pclose(pipe);
    }
    return diff.size() > 20000 ? diff.substr(0, 20000) + "\n[diff cut]\n" : diff;
}

class Golden : public ::testing::TestWithParam<GoldenSession> {};

// The files a session wrote and its console, by file name.
std::map<std::string, std::string> outputs_of(const SessionResult& r) {
    std::map<std::string, std::string> files = r.files;
    files["console.txt"] = r.console;
    return files;
}

// Compares what a session wrote with the expected files, file by file.
void expect_files(const std::string& what, const std::map<std::string, std::string>& expected,
                  const std::map<std::string, std::string>& actual) {
    for (const auto& [name, text] : expected) {
        const auto it = actual.find(name);
        if (it == actual.end())
            ADD_FAILURE() << what << ": the session wrote no " << name;
        else if (it->second != text)
            ADD_FAILURE() << what << ": " << name << " differs\n" << unified_diff(name, text, it->second);
    }
    for (const auto& [name, text] : actual)
        if (expected.count(name) == 0) ADD_FAILURE() << what << ": the session wrote " << name << ", not expected";
}

bool is_table(const std::string& name) { return name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0; }

// Every session runs twice: as the console dialogue alone, and with the tidy
// tables beside the reports.  The reports and the console are the same both
// times; the tables (all but timings.csv, which holds seconds) are golden too.
TEST_P(Golden, SessionReproducesItsReportsTablesAndConsole) {
    const GoldenSession& s = GetParam();
    const fs::path in = golden_dir(s.name) / "in", out = golden_dir(s.name) / "out";
    SessionScript script;
    script.seed = s.seed;
    script.answers = lines(read_file(in / "answers.txt"));
    for (const auto& entry : fs::directory_iterator(in))
        if (entry.path().filename() != "answers.txt")
            script.inputs[entry.path().filename().string()] = read_file(entry.path());
    ASSERT_FALSE(script.answers.empty()) << "no answers in " << in;

    const SessionResult plain = run_script(script);
    EXPECT_EQ(plain.status, s.status);
    SessionOptions tidy;
    tidy.tidy = true;
    script.options = tidy;
    const SessionResult with_tables = run_script(script);
    EXPECT_EQ(with_tables.status, s.status);
    std::map<std::string, std::string> tables = outputs_of(with_tables);
    tables.erase("timings.csv");

    if (std::getenv("LORVENNA_UPDATE_GOLDEN") != nullptr) {
        fs::remove_all(out);
        fs::create_directories(out);
        for (const auto& [name, text] : tables) write_file(out / name, text);
        return;
    }
    ASSERT_TRUE(fs::is_directory(out)) << "no golden files for " << s.name << ": run scripts/update_golden.sh";
    std::map<std::string, std::string> expected, reports;
    for (const auto& entry : fs::directory_iterator(out)) {
        const std::string name = entry.path().filename().string();
        expected[name] = read_file(entry.path());
        if (!is_table(name)) reports[name] = expected[name];
    }
    expect_files(std::string(s.name) + " with tables", expected, tables);
    expect_files(s.name, reports, outputs_of(plain));
}

INSTANTIATE_TEST_SUITE_P(Sessions, Golden, ::testing::ValuesIn(sessions),
                         [](const ::testing::TestParamInfo<GoldenSession>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lorvenna::testing
