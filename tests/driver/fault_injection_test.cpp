// Faults of the machine reach the user: a report file that cannot be created,
// a write that fails half-way (disk full), an input file that fails to read.
#include <gtest/gtest.h>

#include <sstream>

#include "driver/io_seam.hpp"
#include "driver/session.hpp"
#include "support/full_disk_stream.hpp"
#include "support/session_runner.hpp"

using namespace lorvenna;
using namespace lorvenna::testing;

namespace {

// A file system where one named report file cannot be created, or fills up after some bytes.
class FaultyFileSystem : public FileSystem {
public:
    std::string victim;
    bool refuse_create = false;
    std::size_t capacity = 0;

    std::unique_ptr<std::ostream> create(const std::filesystem::path& path) override {
        if (path.filename() != victim) return FileSystem::create(path);
        if (refuse_create) return nullptr;
        return std::make_unique<FullDiskStream>(capacity);
    }
};

struct Outcome {
    int status;
    std::string console;
};

Outcome run_with(FaultyFileSystem& fs, const std::vector<std::string>& answers) {
    std::string script;
    for (const auto& a : answers) script += a + "\n";
    std::istringstream in(script);
    std::ostringstream out;
    Io io{in, out, fresh_directory(), fs};
    io.elapsed = [] { return 0LL; };
    const int status = run_session(io, 7);
    return {status, out.str()};
}

const std::vector<std::string> model_run = {"m", "no", "20", "10", "0", "0", "30", "2", "0", "rnd",
                                            "-1", "0.5", "0.1", "normal", "5", "3", "1"};

}  // namespace

TEST(FaultInjection, ReportFileThatCannotBeCreatedEndsTheRunNamingIt) {
    FaultyFileSystem fs;
    fs.victim = "Distribution.txt";
    fs.refuse_create = true;
    const auto r = run_with(fs, model_run);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.console.find("Cannot write the file Distribution.txt"), std::string::npos);
    EXPECT_NE(r.console.find("Runtime of program:"), std::string::npos);
}

TEST(FaultInjection, FullDiskEndsTheRunNamingTheFile) {
    for (std::size_t capacity : {0u, 40u, 400u}) {
        FaultyFileSystem fs;
        fs.victim = "Distribution.txt";
        fs.capacity = capacity;
        const auto r = run_with(fs, model_run);
        EXPECT_NE(r.status, 0) << capacity;
        EXPECT_NE(r.console.find("Error while writing the file Distribution.txt"), std::string::npos) << capacity;
        EXPECT_NE(r.console.find("Runtime of program:"), std::string::npos);
    }
}

TEST(FaultInjection, UnwritableOutputDirectoryIsReported) {
    std::istringstream in("m\nno\n");
    std::ostringstream out;
    Io io{in, out, fresh_directory() / "no" / "such" / "directory", real_file_system()};
    const int status = run_session(io, 7);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.str().find("Cannot write the file Distribution.txt"), std::string::npos);
}
