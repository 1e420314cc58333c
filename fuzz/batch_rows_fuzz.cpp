// Fuzz target: a batch file of arbitrary bytes, read row by row with decoding
// and checks, each row run as a model-only pass.
#include <cstddef>
#include <cstdint>

#include "fuzz_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lorvenna;
    testing::MemoryFiles files;
    files.inputs["runs.txt"] = std::string(reinterpret_cast<const char*>(data), size);
    // The first byte chooses model-only or sampling runs.
    const bool sampling = size > 0 && (data[0] & 1) != 0;
    fuzzing::run_capped_session(files, sampling ? "s\nno\ng\nyes\nruns.txt\n0\nno\n" : "m\nyes\nruns.txt\n");
    return 0;
}
