#pragma once
// Runs the passes of a session in order, one after the other or up to N at
// once, each a Pass value of its own, and writes what every pass wrote in
// pass order, so the files are the same whatever N is.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "data/session.hpp"
#include "pass/model_pass.hpp"
#include "sweeps/manifest.hpp"

namespace lorvenna {

class PassRunner {
public:
    // `tracked`: the files whose sizes the manifest records after every pass.
    PassRunner(Session& session, ManifestWriter& manifest, std::vector<const ReportFile*> tracked);
    ~PassRunner();
    PassRunner(const PassRunner&) = delete;
    PassRunner& operator=(const PassRunner&) = delete;

    // Runs the pass the session has prepared (session.pass: its parameters,
    // derived values, rank-order block and stream) as pass `id`; with
    // `print_head` the pass prints its own head lines.
    void run(const PassIdentity& id, bool print_head);
    // Writes every pass under way, in order; a pass that ended the session
    // ends it here, after the passes before it are written.
    void drain();

private:
    struct Job;
    void start_job(const PassIdentity& id, bool print_head);
    void collect(Job& job);
    void after_pass(const Pass& pass, bool built);
    // A worker: takes the queued passes in pass order and runs them, until
    // the runner closes and the queue is empty.  N workers live as long as
    // the runner, so a pass starts without a thread of its own, on a core
    // that has just finished one, and its thread's memory stays warm.
    void work();

    Session& session_;
    ManifestWriter& manifest_;
    std::vector<const ReportFile*> tracked_;
    std::deque<std::unique_ptr<Job>> jobs_;  // under way, in pass order: queued, running or finished
    std::mutex mutex_;
    std::condition_variable queued_, finished_;
    std::deque<Job*> queue_;  // passes no worker has taken yet, in pass order
    bool closing_ = false;
    std::vector<std::thread> workers_;  // started with the first pass beside others
    bool ended_ = false;  // a pass ended the session: no later pass is written
};

// The console lines that open a pass of a batch: the run time so far, a line
// of dashes, the iteration number and the settings echo; under --run-seeds
// also the pass's seed word, so it can be run alone.
void print_pass_head(Io& io, bool batch_run, bool run_seeds, const PassIdentity& id, const Pass& pass);

// Seed word of a pass under --run-seeds; the dialogue's passes count as row 0.
std::uint32_t seed_of_pass(std::uint32_t session_seed, long long row, int replicate);

}  // namespace lorvenna
