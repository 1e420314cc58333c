#pragma once
// A report file of the run (Distribution.txt, Sample.txt, ...).  Open for the
// whole session so the passes of a batch append to it; every write is checked
// and a failed write ends the session in order with the file's name.
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace lorvenna {

struct Io;

class ReportFile {
public:
    explicit ReportFile(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    bool is_open() const { return stream_ != nullptr; }

    // Creates or empties the file in the output directory; ends the session
    // with a message naming the file when it cannot be written.
    void open(Io& io);
    // Opens the file to go on where an earlier session left it, `size` bytes long.
    void open_to_append(Io& io, std::uint64_t size);
    // Writes one line (a newline is appended).  Lines of free format begin with a blank
    // the caller supplies; the file is written only while open.
    void line(std::string_view text);
    // Writes text as it is (lines a pass wrote elsewhere, appended in pass order).
    void write(std::string_view text);
    void flush();
    void close();

    // Bytes in the file: those it held when opened and those written since.
    std::uint64_t size() const { return size_; }

private:
    void check();
    std::string name_;
    std::unique_ptr<std::ostream> stream_;
    std::uint64_t size_ = 0;
};

}  // namespace lorvenna
