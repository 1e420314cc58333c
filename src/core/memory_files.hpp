#pragma once
// Files kept in memory by name, whatever the directory: the file system of a
// pass that runs beside others (its text is handed on whole, in pass order),
// of the R bridge (tables in, data frames out) and of the tests and the fuzz
// harness, which may refuse a file or let it fill up as a full disk does.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/io_seam.hpp"

namespace lorvenna {

class MemoryFiles : public FileSystem {
public:
    // Input files by name (batch rows, rank-order blocks).
    std::map<std::string, std::string> inputs;
    // Every kept file created or appended to, by name.
    std::map<std::string, std::string> outputs;
    // Which files are kept; the others accept every write and keep nothing.
    // Empty: every file is kept.
    std::function<bool(const std::string& name)> keep;
    // Files that cannot be created, and files that fill up after so many bytes.
    std::set<std::string> refused;
    std::map<std::string, std::size_t> capacity;
    std::size_t default_capacity = std::numeric_limits<std::size_t>::max();

    std::unique_ptr<std::ostream> create(const std::filesystem::path& path) override;
    std::unique_ptr<std::ostream> append(const std::filesystem::path& path) override;
    std::unique_ptr<std::istream> open_existing(const std::filesystem::path& path) override;
    std::string open_failure(const std::filesystem::path& path) override;

    // The text of an output file; empty when it was never written.
    std::string text(const std::string& name) const;

private:
    std::unique_ptr<std::ostream> sink(const std::string& name, bool empty_first);
};

}  // namespace lorvenna
