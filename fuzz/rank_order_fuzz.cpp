// Fuzz target: a rank-order distribution file of arbitrary bytes, plain or
// assemblage, sampled by a batch of two rows.
#include <cstddef>
#include <cstdint>

#include "fuzz_harness.hpp"

namespace {
// Two passes, so that a second block (or the next assemblage) is read after
// the first: the first pass nested (seq) or independent (ind) sampling, the
// second random dependent sampling with ranges, a gradient and niches.
const char* const header = "header\n";
const char* const first_rows[] = {
    "20 10 4 1 1 1 seq 10 1 0 1 1 1 rnd normal 1 1 1 1 1 0 0 0 fix rmd 2 1 0 0 sha 1 fix\n",
    "20 10 4 1 1 1 ind 10 2 0 1 1 1 rnd normal 1 1 1 1 1 0 0 0 fix rmd 2 1 0 0 evar 2 fix\n",
};
const char* const second_row =
    "20 10 4 1 1 1 dep 10 0 0 1 1 1 rnd normal 1 1 1 1 1 1 1 1 fix rmd 2 1 2 1 simp 2 fix\n";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lorvenna;
    if (size == 0) return 0;
    testing::MemoryFiles files;
    // The first byte chooses an assemblage file or a plain one, with or
    // without weights, and the design of the first pass.
    const bool assemblage = (data[0] & 1) != 0;
    const bool weights = (data[0] & 2) != 0;
    const char* const first_row = first_rows[(data[0] >> 2) & 1];
    const std::string name = assemblage ? "Assemblage.txt" : "ranks.txt";
    files.inputs[name] = std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    files.inputs["runs.txt"] = std::string(header) + first_row + second_row;
    std::string answers = "s\nno\nm\n" + name + "\n";
    if (!assemblage) answers += weights ? "yes\n" : "no\n";
    answers += "yes\nruns.txt\n0\nno\n";
    fuzzing::run_capped_session(files, answers);
    return 0;
}
