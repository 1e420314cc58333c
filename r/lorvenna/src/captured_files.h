#pragma once
// The engine's file system inside an R session: the batch rows and the
// rank-order blocks are served from memory, the tables and grids a session
// writes are kept in memory by file name, and the fixed-width reports, which
// nobody reads here, are dropped as they are written.
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "core/io_seam.hpp"
#include "core/string_buffer.hpp"

namespace lorvenna_r {

using lorvenna::StringBuffer;

// Accepts every write and keeps nothing.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

class CapturedFiles : public lorvenna::FileSystem {
public:
    // Input files by name (the batch rows, the rank-order blocks).
    std::map<std::string, std::string> inputs;
    // Every kept file the session created, by name.
    std::map<std::string, std::string> outputs;

    std::unique_ptr<std::ostream> create(const std::filesystem::path& path) override;
    std::unique_ptr<std::ostream> append(const std::filesystem::path& path) override;
    std::unique_ptr<std::istream> open_existing(const std::filesystem::path& path) override;
    std::string open_failure(const std::filesystem::path& path) override;

    // Whether a file of this name is kept: the CSV tables, the ASCII grids and
    // the batch template; the fixed-width reports are not.
    static bool kept(const std::string& name);

private:
    std::unique_ptr<std::ostream> sink(const std::string& name, bool empty_first);
};

}  // namespace lorvenna_r
