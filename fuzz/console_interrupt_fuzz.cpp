// Fuzz target: a console session whose user interrupts it (Ctrl-C, SIGTERM)
// once the answers run out, at whatever prompt or pass is under way then.
// The interrupt is the stop flag a signal handler would set, raised by the
// console input when it has nothing more to give.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <streambuf>
#include <string>

#include "fuzz_harness.hpp"

namespace {

class InterruptAtEnd : public std::streambuf {
public:
    InterruptAtEnd(std::string answers, int& stop) : answers_(std::move(answers)), stop_(stop) {
        setg(answers_.data(), answers_.data(), answers_.data() + answers_.size());
    }

protected:
    int_type underflow() override {
        stop_ = 1;
        return traits_type::eof();
    }

private:
    std::string answers_;
    int& stop_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lorvenna;
    testing::MemoryFiles files;
    files.default_capacity = fuzzing::report_capacity;
    files.inputs["runs.txt"] =
        "header\n20 10 3 1 1 1 seq 10 1 0 0.5 0.5 0.1 power normal 4 2 1 0.5 0 1 1 2 fix rmd 2 1 2 1 sha 1 fix\n"
        "20 10 3 1 1 1 dep 10 1 0 0.5 0.5 0.1 power normal 4 2 1 0.5 0 1 1 2 fix rmd 2 1 2 1 sha 1 fix\n";
    files.inputs["ranks.txt"] = "*\n100\n50\n20\n5\n1\n";
    int stop = 0;
    InterruptAtEnd input(std::string(reinterpret_cast<const char*>(data), size), stop);
    std::istream in(&input);
    std::ostringstream out;
    Io io{in, out, ".", files};
    io.elapsed = [] { return 0LL; };
    io.stop_requested = &stop;
    fuzzing::cap_pass_sizes(io);
    run_session(io, 12345);
    return 0;
}
