// A real process interrupted or killed in the middle of a batch keeps every
// finished pass complete in its report files.  The signal goes out once the
// console shows the fourth row read, so at least three passes are on disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "support/session_runner.hpp"

namespace lorvenna::testing {
namespace {

int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

struct Interrupted {
    int status = 0;
    bool signalled = false;  // the fourth row was seen in time and the signal sent
    std::string console, distribution;
};

// Runs a model-only batch of many rows in `dir`, sends `signal` once the
// console shows "Iteration No." for the fourth time, reads the console to
// its end and waits for the process.
Interrupted interrupt_batch(int signal) {
    TempDir dir;
    std::string rows = "header\n";
    for (int i = 0; i < 20000; ++i)
        rows += "20 16 3 1 1 1 seq 400 1 0 0.5 0.5 0.1 power normal 8 3 1 0.5 0 0 0 0 fix rmd 2 1 0 0 sha 1 fix\n";
    std::ofstream(dir.path() / "runs.txt") << rows;
    std::ofstream(dir.path() / "answers.txt") << "m\nyes\nruns.txt\n";
    int console[2];
    if (pipe(console) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open((dir.path() / "answers.txt").c_str(), O_RDONLY);
        if (chdir(dir.path().c_str()) != 0 || in < 0) _exit(99);
        dup2(in, 0);
        dup2(console[1], 1);
        close(console[0]);
        execl(LORVENNA_BINARY, LORVENNA_BINARY, "--seed", "99", static_cast<char*>(nullptr));
        _exit(98);
    }
    close(console[1]);
    Interrupted result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (bool open = true; open;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{console[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            kill(pid, SIGKILL);  // no progress in time: the test fails below
            break;
        }
        char chunk[4096];
        const ssize_t got = read(console[0], chunk, sizeof chunk);
        open = got > 0;
        if (open) result.console.append(chunk, static_cast<std::size_t>(got));
        if (!result.signalled && count_of(result.console, "Iteration No.:") >= 4) {
            kill(pid, signal);
            result.signalled = true;
        }
    }
    close(console[0]);
    waitpid(pid, &result.status, 0);
    std::ifstream dist(dir.path() / "Distribution.txt", std::ios::binary);
    result.distribution.assign(std::istreambuf_iterator<char>(dist), {});
    return result;
}

TEST(Interrupt, CtrlCEndsInOrderWithEveryFinishedPassComplete) {
    const Interrupted r = interrupt_batch(SIGINT);
    ASSERT_TRUE(r.signalled) << r.console.substr(0, 2000);
    ASSERT_TRUE(WIFEXITED(r.status));
    EXPECT_EQ(WEXITSTATUS(r.status), 130);
    EXPECT_EQ(count_of(r.console, "\n Run interrupted: the passes finished so far are complete in the report files\n"
                                  "Runtime of program:"),
              1);
    // A model-only batch looks at the interrupt between passes: every pass begun is finished.
    const int blocks = count_of(r.distribution, "Areal   SampA");
    EXPECT_GE(blocks, 3);
    EXPECT_EQ(count_of(r.distribution, "No. species"), blocks);
    EXPECT_EQ(count_of(r.console, "Iteration No.:"), blocks);
    EXPECT_EQ(r.distribution.back(), '\n');
}

TEST(Interrupt, KilledProcessKeepsFinishedPasses) {
    const Interrupted r = interrupt_batch(SIGKILL);
    ASSERT_TRUE(r.signalled);
    EXPECT_TRUE(WIFSIGNALED(r.status));
    const int blocks = count_of(r.distribution, "Areal   SampA");
    const int statistics = count_of(r.distribution, "No. species");
    EXPECT_GE(statistics, 3);
    EXPECT_GE(statistics, blocks - 1) << "only the pass under way may be cut";
}

}  // namespace
}  // namespace lorvenna::testing
