// Progress of scripted sweeps: the time left on a fake clock through the I/O
// seam, and the real program on a pseudo-terminal, a pipe and with --quiet.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/progress_line.hpp"
#include "driver/session.hpp"
#include "support/session_runner.hpp"
#include "support/terminal_replay.hpp"
#include "support/work_bench.hpp"

namespace fs = std::filesystem;

namespace lorvenna::testing {
namespace {

// Moves the fake clock as a sweep of equal runs would: a long check of the
// batch file before the first pass, then ten seconds in every pass.
class EqualRuns : public ProgressListener {
public:
    EqualRuns(ProgressListener& shown, double& now) : shown_(shown), now_(now) {}
    std::vector<double> finished_at;

    void planned(long long passes) override {
        now_ += 30.0;
        shown_.planned(passes);
    }
    void pass_started(int run, long long row, int replicate) override {
        shown_.pass_started(run, row, replicate);
        now_ += 10.0;
    }
    void species_placed(int run, int placed, int species) override { shown_.species_placed(run, placed, species); }
    void pass_finished(int run, long long row, int replicate) override {
        shown_.pass_finished(run, row, replicate);
        finished_at.push_back(now_);
    }
    void clear() override { shown_.clear(); }
    void finished() override { shown_.finished(); }

private:
    ProgressListener& shown_;
    double& now_;
};

// The seconds of "about 6 min 40 s left" in a plain line; -1 when it has none.
double seconds_left(const std::string& line) {
    const auto from = line.find(", about "), to = line.find(" left");
    if (from == std::string::npos || to == std::string::npos) return -1.0;
    std::istringstream words(line.substr(from + 8, to - from - 8));
    double total = 0.0, value = 0.0;
    std::string unit;
    while (words >> value >> unit) total += value * (unit == "h" ? 3600.0 : unit == "min" ? 60.0 : 1.0);
    return total;
}

TEST(SweepProgress, TimeLeftOfEqualRunsIsWithinHalfTheTruthFromAQuarterOn) {
    MemoryFiles files;
    files.inputs["sweep.txt"] = batch_header + "\n" + batch_row() + "\n" + batch_row() + "\n" + batch_row() + "\n" +
                                batch_row() + "\n";
    std::istringstream in;
    std::ostringstream console, messages;
    Io io{in, console, ".", files};
    io.messages = &messages;
    double now = 0.0;
    io.clock = [&now] { return now; };
    std::stringbuf log;
    ProgressSettings plain;
    plain.style = ProgressStyle::plain;
    ProgressLine shown(log, plain, io.clock);
    EqualRuns paced(shown, now);
    io.progress = &paced;
    SessionOptions options;
    options.mode = keyword("s");
    options.batch = "sweep.txt";
    options.run_seeds = true;
    options.replicates = 2;
    options.seed = 7u;
    options.quiet = true;
    ASSERT_EQ(run_session(io, options), 0) << messages.str();

    const std::vector<std::string> plain_lines = lines(log.str());
    ASSERT_EQ(plain_lines.size(), 8U) << log.str();
    ASSERT_EQ(paced.finished_at.size(), 8U);
    const double end = paced.finished_at.back();
    for (std::size_t k = 2; k < 8; ++k) {  // from the second of eight runs on
        const double truth = end - paced.finished_at[k - 1];
        const double estimate = seconds_left(plain_lines[k - 1]);
        EXPECT_NEAR(estimate, truth, 0.5 * truth) << plain_lines[k - 1];
    }
    EXPECT_EQ(seconds_left(plain_lines.back()), -1.0) << "nothing is left after the last run";
}

// The real program in a folder of its own, its standard error on a
// pseudo-terminal (standard output too, as in a terminal window) or on a pipe.
enum class Screen { terminal, pipe };

struct Child {
    int status = -1;
    std::string screen;  // all the terminal showed, or what came through the pipe
};

Child run_lorvenna(Screen screen, const fs::path& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv_text = {LORVENNA_BINARY};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    int from_child = -1;
    pid_t pid = -1;
    if (screen == Screen::terminal) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 160;
        pid = forkpty(&from_child, nullptr, nullptr, &size);
    } else {
        int p[2];
        if (pipe(p) != 0) return {};
        pid = fork();
        if (pid == 0) {
            const int console = open((dir / "console.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (console < 0) _exit(97);
            dup2(console, 1);
            dup2(p[1], 2);
            close(p[0]);
        }
        close(p[1]);
        from_child = p[0];
    }
    if (pid == 0) {
        if (screen == Screen::terminal) setenv("TERM", "xterm", 1);  // whatever terminal the tests run from
        if (chdir(dir.c_str()) != 0) _exit(99);
        execv(LORVENNA_BINARY, argv.data());
        _exit(98);
    }
    Child child;
    if (pid < 0) return child;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{from_child, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            kill(pid, SIGKILL);  // no output in time: the test fails below
            break;
        }
        char chunk[4096];
        const ssize_t got = read(from_child, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // a pseudo-terminal ends with EIO once the child has gone
        child.screen.append(chunk, static_cast<std::size_t>(got));
    }
    close(from_child);
    waitpid(pid, &child.status, 0);
    return child;
}

bool exited_ok(const Child& c) { return WIFEXITED(c.status) && WEXITSTATUS(c.status) == 0; }

class ScriptedSweep : public ::testing::Test {
protected:
    // Six runs: two rows, three replicates.
    void write_sweep(const std::string& row) {
        std::ofstream(dir.path() / "sweep.txt") << batch_header << "\n" << row << "\n" << row << "\n";
    }
    std::vector<std::string> sweep(const std::string& out, std::vector<std::string> more = {}) const {
        std::vector<std::string> a = {"--mode", "s", "--batch", "sweep.txt", "--run-seeds", "--replicates", "3",
                                      "--tidy", "--seed", "5", "--out", out};
        a.insert(a.end(), more.begin(), more.end());
        return a;
    }
    TempDir dir;
};

TEST_F(ScriptedSweep, TerminalKeepsOneLineThatCountsEveryRunAndIsClearedAtTheEnd) {
    write_sweep(batch_row({{"Areal", "200"}, {"SampA", "64"}, {"maxSa", "4"}, {"Species", "400"}, {"maxD", "4"},
                           {"Aggr", "1"}}));
    const Child shown = run_lorvenna(Screen::terminal, dir.path(), sweep("shown"));
    const Child quiet = run_lorvenna(Screen::pipe, dir.path(), sweep("quiet", {"--quiet", "--jobs", "2"}));
    ASSERT_TRUE(exited_ok(shown)) << shown.screen;
    ASSERT_TRUE(exited_ok(quiet)) << quiet.screen;

    // The line never counts back and its last drawing counts all six runs.
    // Count k waits for the next drawing when run k ends within a tenth of a
    // second of the last one; it shows once run k + 1 has run longer than
    // that, so every count shows that a run longer than 0.15 s follows
    // (the runs' own times are in timings.csv).
    std::vector<int> counts;
    for (std::size_t at = shown.screen.find("/6 runs done in "); at != std::string::npos;
         at = shown.screen.find("/6 runs done in ", at + 1)) {
        const std::size_t from = shown.screen.rfind('\r', at);
        ASSERT_NE(from, std::string::npos) << shown.screen;
        counts.push_back(std::stoi(shown.screen.substr(from + 1, at - from - 1)));
    }
    ASSERT_FALSE(counts.empty()) << shown.screen;
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end())) << shown.screen;
    EXPECT_EQ(counts.back(), 6) << shown.screen;
    const std::vector<std::string> timed = lines(file_text(dir.path() / "shown" / "timings.csv"));
    ASSERT_EQ(timed.size(), 7U);
    for (int k = 1; k < 6; ++k) {
        double next_run = 0.0;
        std::istringstream fields(timed[static_cast<std::size_t>(k + 1)]);
        std::string field;
        std::getline(fields, field, ',');  // the run
        while (std::getline(fields, field, ',')) next_run += std::stod(field);
        if (next_run > 0.15) {
            EXPECT_NE(std::find(counts.begin(), counts.end(), k), counts.end()) << k << "/6 never shown";
        }
    }
    EXPECT_NE(shown.screen.find(", species "), std::string::npos);
    // The console lines on the same terminal are whole, none carries a piece
    // of the line, and the line is gone at the end.
    const TerminalRows rows = replay_terminal(shown.screen);
    for (const std::string& row : rows.past) EXPECT_EQ(row.find("runs done"), std::string::npos) << row;
    for (int k = 1; k <= 6; ++k)
        EXPECT_EQ(count_lines(rows.past, "Iteration No.:    " + std::to_string(k)), 1) << k;
    EXPECT_EQ(rows.current, "");

    EXPECT_EQ(quiet.screen, "") << "--quiet shows no progress";
    EXPECT_EQ(reproducible_files(dir.path() / "shown"), reproducible_files(dir.path() / "quiet"));
}

TEST_F(ScriptedSweep, LogsGetOnePlainLinePerRunWithoutCarriageReturns) {
    write_sweep(batch_row());
    const Child piped = run_lorvenna(Screen::pipe, dir.path(), sweep("piped", {"--jobs", "2"}));
    const Child forced = run_lorvenna(Screen::terminal, dir.path(), sweep("forced", {"--progress"}));
    ASSERT_TRUE(exited_ok(piped)) << piped.screen;
    ASSERT_TRUE(exited_ok(forced)) << forced.screen;

    EXPECT_EQ(piped.screen.find_first_of("\r\x1b"), std::string::npos) << piped.screen;
    const std::vector<std::string> logged = lines(piped.screen);
    ASSERT_EQ(logged.size(), 6U) << piped.screen;
    for (int k = 1; k <= 6; ++k) {
        const std::string& line = logged[static_cast<std::size_t>(k - 1)];
        EXPECT_EQ(line.rfind("run " + std::to_string(k) + "/6 row ", 0), 0U) << line;
        EXPECT_NE(line.find(" done in "), std::string::npos) << line;
    }
    // On a terminal --progress writes the same lines, never a line rewritten in place.
    EXPECT_EQ(forced.screen.find("\x1b"), std::string::npos);
    const TerminalRows rows = replay_terminal(forced.screen);
    int plain_lines = 0;
    for (const std::string& row : rows.past)
        plain_lines += row.rfind("run ", 0) == 0 && row.find("/6 row ") != std::string::npos;
    EXPECT_EQ(plain_lines, 6);
}

}  // namespace
}  // namespace lorvenna::testing
