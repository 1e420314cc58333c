#include "driver/pass_runner.hpp"

#include <algorithm>
#include <exception>
#include <sstream>
#include <string>
#include <thread>

#include "core/console.hpp"
#include "core/memory_files.hpp"
#include "core/program_end.hpp"
#include "core/runtime_report.hpp"
#include "input/settings_echo.hpp"
#include "numerics/fixed_field.hpp"
#include "numerics/run_seeds.hpp"

namespace lorvenna {

void print_pass_head(Io& io, bool batch_run, bool run_seeds, const PassIdentity& id, const Pass& pass) {
    const long long row = id.line > 0 ? id.line - 1 : 0;
    if (batch_run) {
        print_runtime_report(io);
        tell_fixed(io, std::string(78, '-'));
        tell_fixed(io, "Iteration No.: " + int_field(id.run, 4));
        print_settings_echo(io, pass);
    }
    if (!run_seeds) return;
    const std::string seed = std::to_string(pass.random.seed());
    const std::string rows = std::to_string(row);
    tell(io, "Run " + std::to_string(id.run) + ": " + (batch_run ? "row " + rows + ", " : std::string()) +
                 "replicate " + std::to_string(id.replicate) + ", seed word " + seed + " (alone: --seed " + seed +
                 (batch_run ? " --rows " + rows + ":" + rows : std::string()) + ")");
}

std::uint32_t seed_of_pass(std::uint32_t session_seed, long long row, int replicate) {
    return run_seed(session_seed, static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(replicate));
}

// A pass run beside others: a copy of the session's pass, its console and
// files in memory, its own report files on them.
struct PassRunner::Job {
    Pass pass;
    PassIdentity id;
    bool print_head = false;
    std::istringstream no_answers;
    std::ostringstream console, messages;
    MemoryFiles files;
    std::unique_ptr<Io> io;
    ReportFiles reports;
    std::exception_ptr failure;
    bool built = false;
    bool finished = false;  // under the runner's mutex
};

PassRunner::PassRunner(Session& session, ManifestWriter& manifest, std::vector<const ReportFile*> tracked)
    : session_(session), manifest_(manifest), tracked_(std::move(tracked)) {}

PassRunner::~PassRunner() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    queued_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void PassRunner::run(const PassIdentity& id, bool print_head) {
    const SessionOptions& options = session_.options;
    if (options.jobs <= 1) {
        Session& s = session_;
        if (print_head) print_pass_head(s.io, s.answers.batch_run(), options.run_seeds, id, s.pass);
        const bool built = run_model_pass(s.pass, PassOutlet{s.io, s.reports, s.answers}, id);
        s.times += s.pass.record.times;
        for (ReportFile* f : s.reports.all()) f->flush();  // a finished pass is on disk before the next begins
        after_pass(s.pass, built);
        s.pass.release_arrays();
        return;
    }
    if (workers_.empty())
        for (int k = 0; k < options.jobs; ++k) workers_.emplace_back([this] { work(); });
    // Up to twice as many passes as workers are under way: those beyond the
    // workers wait in the queue, and a pass that has finished holds only its text.
    if (static_cast<int>(jobs_.size()) >= 2 * options.jobs) {
        std::unique_ptr<Job> oldest = std::move(jobs_.front());
        jobs_.pop_front();
        collect(*oldest);
    }
    start_job(id, print_head);
}

void PassRunner::start_job(const PassIdentity& id, bool print_head) {
    auto job = std::make_unique<Job>();
    job->pass = session_.pass;
    job->id = id;
    job->print_head = print_head;
    job->io = std::make_unique<Io>(session_.io, job->no_answers, job->console, job->files);
    Io& io = *job->io;
    io.messages = &job->messages;  // the progress listener is told from this pass's thread
    // A caller's interrupt check (R's, Python's) may be asked on its own
    // thread only: the session asks it between passes.
    io.poll_interrupt = nullptr;
    job->reports.open_like(session_.reports, io);
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(job.get());
    }
    queued_.notify_one();
    jobs_.push_back(std::move(job));
}

void PassRunner::work() {
    const bool batch_run = session_.answers.batch_run(), run_seeds = session_.options.run_seeds;
    for (;;) {
        Job* j = nullptr;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty()) return;
            j = queue_.front();
            queue_.pop_front();
        }
        try {
            if (j->print_head) print_pass_head(*j->io, batch_run, run_seeds, j->id, j->pass);
            j->built = run_model_pass(j->pass, PassOutlet{*j->io, j->reports, session_.answers}, j->id);
            for (ReportFile* f : j->reports.all()) f->flush();
        } catch (...) {
            j->failure = std::current_exception();
        }
        j->pass.release_arrays();
        {
            std::lock_guard lock(mutex_);
            j->finished = true;
        }
        finished_.notify_all();
    }
}

void PassRunner::collect(Job& job) {
    {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&job] { return job.finished; });
    }
    // After a pass that ended the session, the passes after it are not
    // written: the files and the manifest end where a serial run ends.
    if (ended_) return;
    Io& io = session_.io;
    // The console lines of the pass, then its files, appended in pass order.
    const std::string console = job.console.str();
    io.out << console;
    io.out.flush();
    const std::string messages = job.messages.str();
    if (!messages.empty()) {
        if (io.progress != nullptr) io.progress->clear();
        std::ostream& to = io.messages != nullptr ? *io.messages : io.out;
        to << messages;
        to.flush();
    }
    for (const auto& [name, text] : job.files.outputs) {
        ReportFile* report = nullptr;
        for (ReportFile* f : session_.reports.all())
            if (f->name() == name) report = f;
        if (report == nullptr) {  // a file of this pass alone (habitat-<run>.asc, map-<run>.asc)
            ReportFile single(name);
            single.open(io);
            single.write(text);
            single.close();
            continue;
        }
        if (!report->is_open()) continue;  // the species map, written once by an earlier pass
        report->write(text);
        if (report == &session_.reports.map && !text.empty()) report->close();
    }
    for (ReportFile* f : session_.reports.all()) f->flush();
    session_.times += job.pass.record.times;
    if (job.failure) {
        ended_ = true;
        std::rethrow_exception(job.failure);
    }
    after_pass(job.pass, job.built);
}

void PassRunner::drain() {
    while (!jobs_.empty()) {
        std::unique_ptr<Job> oldest = std::move(jobs_.front());
        jobs_.pop_front();
        collect(*oldest);
    }
}

void PassRunner::after_pass(const Pass& pass, bool built) {
    if (!built) {
        if (!session_.answers.batch_run()) end_program(exit_error);
        session_.exit_status = exit_error;  // a batch goes on with its next row
    }
    if (manifest_.active()) {
        ManifestRun r;
        r.run = pass.record.run;
        r.row = pass.record.row > 0 ? pass.record.row - 1 : 0;
        r.replicate = pass.record.replicate;
        r.seed = pass.record.seed;
        r.after = StreamState{pass.random.seed(), pass.derived.heterogeneity, pass.centre.x, pass.centre.y};
        for (const ReportFile* f : tracked_) r.sizes.push_back(f->size());
        manifest_.run(r);
    }
}

}  // namespace lorvenna
