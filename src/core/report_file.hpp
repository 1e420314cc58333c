#pragma once
// A report file of the run (Distribution.txt, Sample.txt, ...).  Open for the
// whole session so the passes of a batch append to it; every write is checked
// and a failed write ends the session in order with the file's name.
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
    // Writes one line (a newline is appended).  Lines of free format begin with a blank
    // the caller supplies; the file is written only while open.
    void line(std::string_view text);
    void flush();
    void close();

private:
    void check();
    std::string name_;
    std::unique_ptr<std::ostream> stream_;
};

}  // namespace lorvenna
