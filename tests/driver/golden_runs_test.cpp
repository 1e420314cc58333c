// Whole runs under fixed seed words produce byte-identical report files.  The
// fingerprints below were recorded from a verified build; any change of a
// result, of the order of random draws or of a layout shows up here.  When a
// change of results is intended, re-record them and say why in the commit.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>

#include "support/session_runner.hpp"

using namespace lorvenna::testing;

namespace {

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

std::string read_source(const std::string& relative) {
    std::ifstream in(std::string(LORVENNA_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

using Fingerprints = std::map<std::string, std::uint64_t>;

Fingerprints fingerprints(const SessionResult& r) {
    Fingerprints f;
    for (const char* name : {"Distribution.txt", "Sample.txt", "Analysis.txt", "Cells.txt", "Grid.txt", "Map.txt"})
        if (r.exists(name)) f[name] = fnv1a(r.file(name));
    return f;
}

void print_fingerprints(const Fingerprints& f) {
    for (const auto& [name, h] : f) std::printf("    {\"%s\", %lluULL},\n", name.c_str(), static_cast<unsigned long long>(h));
}

void expect_fingerprints(const SessionResult& r, const Fingerprints& expected) {
    const Fingerprints got = fingerprints(r);
    EXPECT_EQ(got, expected);
    if (got != expected) print_fingerprints(got);
}

}  // namespace

TEST(GoldenRuns, DemoBatchOfEveryDesign) {
    const auto r = run_session_with({"s", "yes", "g", "yes", "designs.txt", "3", "yes"}, 2026,
                                    {{"designs.txt", read_source("demo/designs.txt")}});
    ASSERT_EQ(r.status, 0) << r.console;
    expect_fingerprints(r, {
        {"Analysis.txt", 15005975301990138279ULL},
        {"Cells.txt", 10928009768468972134ULL},
        {"Distribution.txt", 16619269088035080969ULL},
        {"Grid.txt", 4799689828471371026ULL},
        {"Map.txt", 18349210443321047922ULL},
        {"Sample.txt", 4414075777380247591ULL},
    });
}

TEST(GoldenRuns, SaturatedNichesWithRangesAndGradient) {
    const auto r = run_session_with({"s", "no", "g", "yes", "runs.txt", "0", "yes"}, 777,
                                    {{"runs.txt", "header\n"
                                                  "40 24 12 2 5 1 ind 80 3 0 0.3 0.5 0.2 normal logn 8 4 1 "
                                                  "30 10 1 2 2 rnd super 1.5 2 2 3 simp 4 rnd\n"
                                                  "33 20 40 4 9 2 dep 60 0 0 -1 0.5 0.1 linear normal 6 3 1 "
                                                  "0.5 0 0 0 0 fix rmd 2 1 0 0 evar 3 fix\n"}});
    ASSERT_EQ(r.status, 0) << r.console;
    expect_fingerprints(r, {
        {"Analysis.txt", 5510189869163364698ULL},
        {"Cells.txt", 16593095560312113683ULL},
        {"Distribution.txt", 12806476772520892985ULL},
        {"Sample.txt", 1664099803996744948ULL},
    });
}

TEST(GoldenRuns, ModelOnlyWithFluctuations) {
    const auto r = run_session_with({"m", "no", "50", "20", "0", "0", "300", "0", "0", "logn", "3", "1", "0.5", "0.5",
                                     "0.2", "logn", "12", "2", "1"},
                                    424242);
    ASSERT_EQ(r.status, 0) << r.console;
    expect_fingerprints(r, {
        {"Distribution.txt", 16188691964575569225ULL},
    });
}
