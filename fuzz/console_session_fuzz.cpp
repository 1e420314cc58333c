// Fuzz target: a whole console session fed arbitrary bytes as its answers.
#include <cstddef>
#include <cstdint>

#include "fuzz_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lorvenna;
    testing::MemoryFiles files;
    files.inputs["runs.txt"] =
        "header\n20 10 3 1 1 1 seq 10 1 0 0.5 0.5 0.1 power normal 4 2 1 0.5 0 1 1 2 fix rmd 2 1 2 1 sha 1 fix\n";
    files.inputs["ranks.txt"] = "*\n100\n50\n20\n5\n1\n";
    fuzzing::run_capped_session(files, std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
