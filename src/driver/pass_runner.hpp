#pragma once
// Runs the passes of a session in order, one after the other or up to N at
// once, each a Pass value of its own, and writes what every pass wrote in
// pass order, so the files are the same whatever N is.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
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
    // At most `jobs` passes compute at once; a pass started ahead waits here
    // for a free core, so a long pass does not leave the other cores idle
    // while the passes after it wait to be written in order.  Waiting passes
    // get a core in pass order (`ticket`), so the pass to be written next is
    // never the one left waiting.
    void take_core(long long ticket);
    void free_core();

    Session& session_;
    ManifestWriter& manifest_;
    std::vector<const ReportFile*> tracked_;
    std::deque<std::unique_ptr<Job>> jobs_;
    std::mutex cores_mutex_;
    std::condition_variable core_freed_;
    int free_cores_ = 0;
    std::set<long long> waiting_;  // tickets of the passes waiting for a core
    long long tickets_ = 0;
    bool ended_ = false;  // a pass ended the session: no later pass is written
};

// The console lines that open a pass of a batch: the run time so far, a line
// of dashes, the iteration number and the settings echo; under --run-seeds
// also the pass's seed word, so it can be run alone.
void print_pass_head(Io& io, bool batch_run, bool run_seeds, const PassIdentity& id, const Pass& pass);

// Seed word of a pass under --run-seeds; the dialogue's passes count as row 0.
std::uint32_t seed_of_pass(std::uint32_t session_seed, long long row, int replicate);

}  // namespace lorvenna
