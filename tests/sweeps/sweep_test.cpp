// Sweeps: passes run beside each other, in slices, resumed after a kill or
// merged from many folders write what one machine running them in order
// writes, byte for byte; merge refuses folders that do not belong together.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "sweeps/manifest.hpp"
#include "sweeps/merge.hpp"
#include "driver/session.hpp"
#include "support/session_runner.hpp"
#include "support/work_bench.hpp"

namespace fs = std::filesystem;

namespace lorvenna::testing {
namespace {

// A sweep of six rows (every design, some short rows) with two replicates.
struct Sweep {
    TempDir dir;
    Sweep() {
        std::string text = batch_header + "\n";
        const char* designs[] = {"seq", "ind", "oct", "dep", "lin", "seq"};
        for (int i = 0; i < 6; ++i)
            text += batch_row({{"Areal", "40"}, {"Method", designs[i]}, {"maxSa", "4"}, {"Aggr", std::to_string(i % 3)},
                               {"AreaHet", "1"}, {"Fractal", i % 2 ? "super" : "dsq"}, {"Scale1", "2.5"}}) + "\n";
        std::ofstream(dir.path() / "sweep.txt") << text;
    }
    SessionOptions options(const std::string& out) const {
        SessionOptions o;
        o.mode = keyword("s");
        o.batch = "sweep.txt";
        o.tidy = o.cells = o.run_seeds = o.quiet = true;
        o.replicates = 2;
        o.seed = 99;
        o.out = out;
        return o;
    }
    // `most_individuals`: the session's cap on the individuals of a pass (0: none).
    int run(const SessionOptions& o, double most_individuals = 0.0) const {
        std::istringstream in;
        std::ostringstream out, messages;
        fs::create_directories(dir.path() / *o.out);
        Io io{in, out, dir.path() / *o.out, real_file_system()};
        io.input_dir = dir.path();
        io.messages = &messages;
        io.max_individuals = most_individuals;
        return run_session(io, o);
    }
    fs::path operator/(const std::string& name) const { return dir.path() / name; }
};

// Every report and table but timings.csv, which differs from run to run.
void expect_same_files(const fs::path& a, const fs::path& b) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(a)) {
        const std::string n = e.path().filename().string();
        if (n != "timings.csv" && n != manifest_name) names.push_back(n);
    }
    ASSERT_GE(names.size(), 8u);
    for (const std::string& n : names) EXPECT_TRUE(file_text(a / n) == file_text(b / n)) << n << " differs in " << b;
}

TEST(Sweep, PassesBesideEachOtherAndSlicesMergedEqualTheSerialRun) {
    const Sweep s;
    ASSERT_EQ(s.run(s.options("serial")), 0);
    SessionOptions jobs = s.options("jobs");
    jobs.jobs = 2;
    ASSERT_EQ(s.run(jobs), 0);
    expect_same_files(s / "serial", s / "jobs");

    std::vector<std::string> slices;
    for (const auto& [a, b] : {std::pair{1, 2}, {3, 3}, {4, 6}}) {
        SessionOptions o = s.options("slice" + std::to_string(a));
        o.first_row = a;
        o.last_row = b;
        ASSERT_EQ(s.run(o), 0);
        slices.push_back((s / ("slice" + std::to_string(a))).string());
    }
    std::ostringstream out, messages;
    ASSERT_EQ(merge_folders((s / "merged").string(), {slices[2], slices[0], slices[1]}, false, out, messages), 0)
        << messages.str();
    expect_same_files(s / "serial", s / "merged");
}

TEST(Sweep, APassThatEndsTheRunEndsItWhereTheSerialRunEndsWhateverRanBesideIt) {
    // Rows 1 and 3 to 6 bring about 3,200 individuals each; row 2 brings more
    // than the cap and ends the run once its settings block is written.
    Sweep s;
    std::string text = batch_header + "\n";
    for (int i = 1; i <= 6; ++i) text += batch_row({{"Areal", "40"}, {"maxD", i == 2 ? "8" : "0.2"}}) + "\n";
    std::ofstream(s / "sweep.txt") << text;
    SessionOptions serial = s.options("serial");
    serial.replicates = 1;
    ASSERT_EQ(s.run(serial, 10000.0), exit_error);
    for (int attempt = 0; attempt < 3; ++attempt) {
        SessionOptions jobs = s.options("jobs" + std::to_string(attempt));
        jobs.replicates = 1;
        jobs.jobs = 2;
        ASSERT_EQ(s.run(jobs, 10000.0), exit_error);
        expect_same_files(s / "serial", s / ("jobs" + std::to_string(attempt)));
        EXPECT_EQ(read_manifest(s / ("jobs" + std::to_string(attempt)) / manifest_name)->runs.size(), 1u)
            << "only the pass before the one that ended the run is recorded, so a resume runs the rest";
    }
}

TEST(Sweep, AKilledRunResumedEqualsTheRunThatWasNotKilled) {
    const Sweep s;
    ASSERT_EQ(s.run(s.options("whole")), 0);
    const Manifest whole = *read_manifest(s / "whole" / manifest_name);
    ASSERT_EQ(whole.runs.size(), 12u);
    for (const bool mid_pass : {false, true}) {
        // The folder as a kill after seven passes leaves it: their files and
        // manifest lines, and with a pass under way, part of its output.
        fs::remove_all(s / "killed");
        fs::copy(s / "whole", s / "killed");
        const ManifestRun& last = whole.runs[6];
        for (std::size_t f = 0; f < whole.files.size(); ++f) {
            fs::resize_file(s / "killed" / whole.files[f], last.sizes[f]);
            if (mid_pass) std::ofstream(s / "killed" / whole.files[f], std::ios::app) << "part of pass 8\n";
        }
        Manifest cut = whole;
        cut.runs.resize(7);
        ManifestWriter w;
        ASSERT_TRUE(w.start(s / "killed" / manifest_name, cut));
        SessionOptions o = s.options("killed");
        o.resume = true;
        ASSERT_EQ(s.run(o), 0);
        expect_same_files(s / "whole", s / "killed");
        EXPECT_EQ(read_manifest(s / "killed" / manifest_name)->runs.size(), 12u);
    }
}

TEST(Sweep, ARunAloneFromItsSeedWordWritesWhatItWroteInTheSweep) {
    const Sweep s;
    ASSERT_EQ(s.run(s.options("whole")), 0);
    const Manifest whole = *read_manifest(s / "whole" / manifest_name);
    const ManifestRun& r = whole.runs[7];  // row 4, replicate 2
    SessionOptions alone = s.options("alone");
    alone.run_seeds = false;
    alone.replicates = 1;
    alone.seed = r.seed;
    alone.first_row = alone.last_row = r.row;
    ASSERT_EQ(s.run(alone), 0);
    const Manifest one = *read_manifest(s / "alone" / manifest_name);
    ASSERT_EQ(one.runs.size(), 1u);
    for (std::size_t f = 0; f < whole.files.size(); ++f) {
        const std::string name = whole.files[f];
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0)
            continue;  // the tables number the run, which differs
        const std::string in_sweep = file_text(s / "whole" / name).substr(whole.runs[6].sizes[f], r.sizes[f] - whole.runs[6].sizes[f]);
        const std::string by_itself = file_text(s / "alone" / name).substr(one.head[f]);
        EXPECT_EQ(by_itself.substr(by_itself.find('\n') + 1), in_sweep.substr(in_sweep.find('\n') + 1))
            << name << ": the pass's section, past the line that numbers it";
    }
}

TEST(Sweep, MergeRefusesFoldersThatDoNotBelongTogether) {
    const Sweep s;
    const auto slice = [&](const std::string& name, long long a, long long b, std::uint32_t seed) {
        SessionOptions o = s.options(name);
        o.first_row = a;
        o.last_row = b;
        o.seed = seed;
        EXPECT_EQ(s.run(o), 0);
        return (s / name).string();
    };
    const std::string a = slice("a", 1, 2, 99), b = slice("b", 3, 4, 99), c = slice("c", 5, 6, 99);
    const std::string other_seed = slice("d", 3, 4, 7);
    fs::copy(s / "b", s / "old");
    std::string m = file_text(s / "old" / manifest_name);
    m.replace(m.find(LORVENNA_VERSION), std::string(LORVENNA_VERSION).size(), "0.9.0");
    std::ofstream(s / "old" / manifest_name, std::ios::trunc) << m;
    const struct {
        std::vector<std::string> folders;
        const char* cause;
    } cases[] = {{{a, a}, "is in both"},
                 {{a, c}, "are in none of the folders"},
                 {{a, other_seed}, "different seed words"},
                 {{a, (s / "old").string()}, "different versions"},
                 {{a, s.dir.path().string()}, "holds no manifest"}};
    for (const auto& k : cases) {
        std::ostringstream out, messages;
        EXPECT_EQ(merge_folders((s / "out").string(), k.folders, false, out, messages), 1) << k.cause;
        EXPECT_NE(messages.str().find(k.cause), std::string::npos) << messages.str();
        EXPECT_FALSE(fs::exists(s / "out")) << k.cause;
    }
    std::ostringstream out, messages;
    EXPECT_EQ(merge_folders((s / "out").string(), {a, c}, true, out, messages), 0) << "--allow-gaps joins them";
}

}  // namespace
}  // namespace lorvenna::testing
