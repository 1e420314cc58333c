// lorvenna merge: the slices of a sweep joined are the sweep run whole, and
// the merge counts its copies for the progress line.
#include "sweeps/merge.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "driver/progress_line.hpp"
#include "sweeps/manifest.hpp"
#include "driver/session.hpp"
#include "support/session_runner.hpp"
#include "support/work_bench.hpp"

namespace fs = std::filesystem;

namespace lorvenna::testing {
namespace {

// Runs rows `first` to `last` of sweep.txt (0: every row) into folder `out` of `dir`.
int run_slice(const fs::path& dir, const std::string& out, long long first, long long last) {
    fs::create_directories(dir / out);
    std::istringstream in;
    std::ostringstream console, messages;
    Io io{in, console, dir / out, real_file_system()};
    io.input_dir = dir;
    io.messages = &messages;
    SessionOptions o;
    o.mode = keyword("s");
    o.batch = "sweep.txt";
    o.run_seeds = true;
    o.replicates = 2;
    o.first_row = first;
    o.last_row = last;
    o.map_species = 1.0f;  // Map.txt: written by the first pass of every slice, once by the whole sweep
    o.tidy = true;
    o.habitat = true;
    o.out = out;
    o.seed = 3u;
    o.quiet = true;
    return run_session(io, o);
}

TEST(Merge, SlicesJoinedAreTheWholeSweepAndEveryCopyIsCounted) {
    TempDir dir;
    std::ofstream(dir.path() / "sweep.txt") << batch_header << "\n"
                                            << batch_row() << "\n"
                                            << batch_row({{"Species", "12"}}) << "\n"
                                            << batch_row({{"Aggr", "1"}}) << "\n";
    ASSERT_EQ(run_slice(dir.path(), "whole", 0, 0), 0);
    ASSERT_EQ(run_slice(dir.path(), "a", 1, 1), 0);
    ASSERT_EQ(run_slice(dir.path(), "b", 2, 3), 0);

    double now = 0.0;
    std::stringbuf log;
    ProgressSettings plain;
    plain.style = ProgressStyle::plain;
    plain.words = {"copy", "copies", "file"};
    ProgressLine line(log, plain, [&now] { return now += 1.0; });
    std::ostringstream console, messages;
    const std::string a = (dir.path() / "a").string(), b = (dir.path() / "b").string();
    ASSERT_EQ(merge_folders((dir.path() / "merged").string(), {a, b}, false, console, messages, &line), 0)
        << messages.str();
    EXPECT_EQ(reproducible_files(dir.path() / "merged"), reproducible_files(dir.path() / "whole"));

    // One copy per report file and one for the grids of each folder, every one counted once.
    const std::vector<std::string> copies = lines(log.str());
    const std::optional<Manifest> sweep = read_manifest(dir.path() / "whole" / manifest_name);
    ASSERT_TRUE(sweep);
    ASSERT_EQ(copies.size(), sweep->files.size() + 2) << log.str();
    const std::string of = "/" + std::to_string(copies.size()) + " ";
    for (std::size_t k = 0; k < copies.size(); ++k)
        EXPECT_EQ(copies[k].rfind("copy " + std::to_string(k + 1) + of, 0), 0U) << copies[k];
    EXPECT_NE(copies[copies.size() - 2].find(" grids of " + a + " done in "), std::string::npos);
    EXPECT_NE(copies.back().find(" grids of " + b + " done in "), std::string::npos);

    // A merge over within a second shows nothing.
    std::stringbuf silent_log;
    plain.silent_for = 1.0;
    ProgressLine silent(silent_log, plain, [] { return 0.5; });
    ASSERT_EQ(merge_folders((dir.path() / "again").string(), {a, b}, false, console, messages, &silent), 0);
    EXPECT_EQ(silent_log.str(), "");
}

}  // namespace
}  // namespace lorvenna::testing
