// The program at a real terminal: lines appear as they are written, and an
// interrupt at a prompt ends the session in order within moments.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/session_runner.hpp"

namespace lorvenna::testing {
namespace {

using Clock = std::chrono::steady_clock;

// The program on the slave side of a pseudo-terminal, in a fresh directory.
class Terminal {
public:
    Terminal() {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            if (chdir(dir_.path().c_str()) != 0) _exit(99);
            execl(LORVENNA_BINARY, LORVENNA_BINARY, "--seed", "5", static_cast<char*>(nullptr));
            _exit(98);
        }
    }
    ~Terminal() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }

    // Reads the screen until `text` appears after `from`; false after `seconds`.
    bool wait_for(const std::string& text, int seconds) {
        const auto deadline = Clock::now() + std::chrono::seconds(seconds);
        while (screen_.find(text, seen_) == std::string::npos) {
            if (!read_some(deadline)) return false;
        }
        seen_ = screen_.find(text, seen_) + text.size();
        return true;
    }
    void type(const std::string& line) {
        const std::string keys = line + "\n";
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    bool running() {
        if (exited_) return false;
        exited_ = waitpid(pid_, &status_, WNOHANG) == pid_;
        return !exited_;
    }
    void signal(int s) { kill(pid_, s); }
    // The exit status when the program ends within `seconds`; -1 otherwise.
    int exit_status(int seconds) {
        const auto deadline = Clock::now() + std::chrono::seconds(seconds);
        while (running() && Clock::now() < deadline) read_some(std::min(deadline, Clock::now() + std::chrono::milliseconds(20)));
        while (read_some(Clock::now() + std::chrono::milliseconds(50))) {
        }
        return exited_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    const std::string& screen() const { return screen_; }

private:
    bool read_some(Clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{master_, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        char chunk[4096];
        const ssize_t got = read(master_, chunk, sizeof chunk);
        if (got <= 0) return false;
        screen_.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
    TempDir dir_;
    int master_ = -1;
    pid_t pid_ = -1;
    int status_ = 0;
    bool exited_ = false;
    std::string screen_;
    std::size_t seen_ = 0;
};

TEST(Terminal, InterruptAtAPromptEndsTheSessionInOrder) {
    for (const int s : {SIGINT, SIGTERM}) {
        Terminal t;
        ASSERT_TRUE(t.wait_for("What to do?", 30)) << t.screen();
        t.type("m");
        ASSERT_TRUE(t.wait_for("Batchrun (yes/no)?", 30)) << t.screen();
        t.type("yes");
        ASSERT_TRUE(t.wait_for("Name of batchfile (with extension)?", 30)) << t.screen();
        t.type("no");
        ASSERT_TRUE(t.wait_for("Cannot open no: No such file or directory", 30)) << t.screen();
        ASSERT_TRUE(t.wait_for("Name of batchfile (with extension)?", 30)) << t.screen();
        t.signal(s);
        EXPECT_EQ(t.exit_status(2), 130) << "signal " << s << ":\n" << t.screen();
        EXPECT_NE(t.screen().find("Run interrupted"), std::string::npos);
        EXPECT_NE(t.screen().find("Runtime of program:"), std::string::npos);
    }
}

TEST(Terminal, EachSpeciesShowsWhileThePassRuns) {
    Terminal t;
    // A sampling dialogue on a 1000 x 1000 grid whose species hold 50 million individuals each.
    for (const char* answer : {"s", "no", "g", "no", "0", "no", "1000", "10", "seq", "1", "3", "1", "1", "sha", "0",
                               "0", "rmd", "2", "1", "0", "fix", "fix", "0", "0", "300", "50", "0", "rnd", "-1", "0.5",
                               "0.1", "normal", "3", "2", "1"})
        t.type(answer);
    ASSERT_TRUE(t.wait_for("Species number: 1\r\n", 60)) << t.screen();
    EXPECT_TRUE(t.running()) << "the line came at the end of the pass, not while it ran";
    t.signal(SIGINT);
    EXPECT_EQ(t.exit_status(5), 130) << t.screen();
}

}  // namespace
}  // namespace lorvenna::testing
