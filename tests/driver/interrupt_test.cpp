// A real process interrupted or killed in the middle of a batch keeps every
// finished pass complete in its report files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/session_runner.hpp"

using namespace lorvenna::testing;

namespace {

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

// Starts the program in `dir` on a model-only batch of many rows; returns its pid.
pid_t start_batch(const std::filesystem::path& dir) {
    std::ofstream batch(dir / "runs.txt");
    batch << "header\n";
    for (int i = 0; i < 20000; ++i)
        batch << "20 16 3 1 1 1 seq 400 1 0 0.5 0.5 0.1 power normal 8 3 1 0.5 0 0 0 0 fix rmd 2 1 0 0 sha 1 fix\n";
    batch.close();
    std::ofstream(dir / "answers.txt") << "m\nyes\nruns.txt\n";
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(99);
        const int in = open("answers.txt", O_RDONLY);
        const int out = open("console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0) _exit(98);
        dup2(in, 0);
        dup2(out, 1);
        execl(LORVENNA_BINARY, LORVENNA_BINARY, "--seed", "99", static_cast<char*>(nullptr));
        _exit(97);
    }
    return pid;
}

// Waits until at least `passes` whole-community statistics rows are in Distribution.txt.
bool wait_for_passes(const std::filesystem::path& dir, int passes) {
    for (int i = 0; i < 600; ++i) {
        if (count_of(read_file(dir / "Distribution.txt"), "No. species") >= passes) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Every settings block but possibly the last is followed by its statistics row.
void expect_finished_passes_complete(const std::string& dist, int at_least) {
    const int blocks = count_of(dist, "Areal   SampA");
    const int stats = count_of(dist, "No. species");
    EXPECT_GE(stats, at_least);
    EXPECT_GE(stats, blocks - 1);
    EXPECT_LE(stats, blocks);
}

// Starts the batch in a fresh directory, sends the signal once three passes are
// written and waits for the process; false when the passes never appeared.
bool interrupt_after_three_passes(int signal, std::filesystem::path& dir, int& status) {
    dir = fresh_directory();
    const pid_t pid = start_batch(dir);
    const bool started = wait_for_passes(dir, 3);
    kill(pid, started ? signal : SIGKILL);
    waitpid(pid, &status, 0);
    return started;
}

}  // namespace

TEST(Interrupt, CtrlCEndsInOrderKeepingFinishedPasses) {
    std::filesystem::path dir;
    int status = 0;
    ASSERT_TRUE(interrupt_after_three_passes(SIGINT, dir, status));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string console = read_file(dir / "console.txt");
    EXPECT_NE(console.find("Run interrupted"), std::string::npos);
    EXPECT_NE(console.find("Runtime of program:"), std::string::npos);
    const std::string dist = read_file(dir / "Distribution.txt");
    expect_finished_passes_complete(dist, 3);
    // Interrupted between passes or species, the last statistics row is whole.
    EXPECT_EQ(dist.back(), '\n');
}

TEST(Interrupt, KilledProcessKeepsFinishedPasses) {
    std::filesystem::path dir;
    int status = 0;
    ASSERT_TRUE(interrupt_after_three_passes(SIGKILL, dir, status));
    EXPECT_TRUE(WIFSIGNALED(status));
    expect_finished_passes_complete(read_file(dir / "Distribution.txt"), 3);
}
