// Faults of the machine reach the user: a report file that cannot be created,
// a write that fails half-way (disk full), an input file that fails to read.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>

#include "driver/io_seam.hpp"
#include "driver/session.hpp"
#include "support/session_runner.hpp"

using namespace lorvenna;
using namespace lorvenna::testing;

namespace {

// A stream buffer that accepts `capacity` bytes, then fails every write, like a full disk.
class FullDiskBuffer : public std::streambuf {
public:
    explicit FullDiskBuffer(std::size_t capacity) : capacity_(capacity) {}

protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
        if (written_ >= capacity_) return traits_type::eof();
        ++written_;
        return ch;
    }
    std::streamsize xsputn(const char*, std::streamsize n) override {
        const auto room = static_cast<std::streamsize>(capacity_ - std::min(capacity_, written_));
        const auto taken = std::min(room, n);
        written_ += static_cast<std::size_t>(taken);
        return taken;
    }

private:
    std::size_t capacity_;
    std::size_t written_ = 0;
};

class OwningStream : public std::ostream {
public:
    explicit OwningStream(std::size_t capacity) : std::ostream(nullptr), buffer_(capacity) { rdbuf(&buffer_); }

private:
    FullDiskBuffer buffer_;
};

// A file system where one named report file cannot be created, or fills up after some bytes.
class FaultyFileSystem : public FileSystem {
public:
    std::string victim;
    bool refuse_create = false;
    std::size_t capacity = 0;

    std::unique_ptr<std::ostream> create(const std::filesystem::path& path) override {
        if (path.filename() != victim) return FileSystem::create(path);
        if (refuse_create) return nullptr;
        return std::make_unique<OwningStream>(capacity);
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
