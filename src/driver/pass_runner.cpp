#include "driver/pass_runner.hpp"

#include <algorithm>
#include <exception>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "core/console.hpp"
#include "core/program_end.hpp"
#include "core/runtime_report.hpp"
#include "core/memory_files.hpp"
#include "driver/model_pass.hpp"
#include "input/settings_echo.hpp"
#include "numerics/fixed_field.hpp"
#include "numerics/run_seeds.hpp"

namespace lorvenna {

void print_pass_head(WorkArea& wa, bool run_seeds) {
    if (wa.answers.batch_run()) {
        print_runtime_report(wa.io);
        tell_fixed(wa.io, std::string(78, '-'));
        tell_fixed(wa.io, "Iteration No.: " + int_field(wa.iteration, 4));
        print_settings_echo(wa);
    }
    if (!run_seeds) return;
    const std::string seed = std::to_string(wa.random.seed());
    const std::string row = std::to_string(wa.rows_read);
    tell(wa.io, "Run " + std::to_string(std::max(wa.iteration, 1)) + ": " +
                    (wa.answers.batch_run() ? "row " + row + ", " : std::string()) + "replicate " +
                    std::to_string(wa.replicate) + ", seed word " + seed + " (alone: --seed " + seed +
                    (wa.answers.batch_run() ? " --rows " + row + ":" + row : std::string()) + ")");
}

std::uint32_t seed_of_pass(std::uint32_t session_seed, long long row, int replicate) {
    return run_seed(session_seed, static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(replicate));
}

struct PassRunner::Job {
    std::istringstream no_answers;
    std::ostringstream console, messages;
    MemoryFiles files;
    std::unique_ptr<Io> io;
    std::unique_ptr<WorkArea> wa;
    std::thread thread;
    std::exception_ptr failure;
    bool built = false;
};

PassRunner::PassRunner(WorkArea& session, const SessionOptions& options, ManifestWriter& manifest,
                       std::vector<const ReportFile*> tracked)
    : session_(session),
      options_(options),
      manifest_(manifest),
      tracked_(std::move(tracked)),
      free_cores_(std::max(options.jobs, 1)) {}

void PassRunner::take_core(long long ticket) {
    std::unique_lock lock(cores_mutex_);
    waiting_.insert(ticket);
    core_freed_.wait(lock, [this, ticket] { return free_cores_ > 0 && *waiting_.begin() == ticket; });
    waiting_.erase(waiting_.begin());
    --free_cores_;
    lock.unlock();
    core_freed_.notify_all();  // the next in line may find a core free too
}

void PassRunner::free_core() {
    {
        std::lock_guard lock(cores_mutex_);
        ++free_cores_;
    }
    core_freed_.notify_all();
}

PassRunner::~PassRunner() {
    for (auto& job : jobs_)
        if (job->thread.joinable()) job->thread.join();
}

void PassRunner::run(bool print_head) {
    if (options_.jobs <= 1) {
        WorkArea& wa = session_;
        if (print_head) print_pass_head(wa, options_.run_seeds);
        const bool built = run_model_pass(wa);
        for (ReportFile* f : wa.reports.all()) f->flush();  // a finished pass is on disk before the next begins
        after_pass(wa, built);
        wa.release_pass_arrays();
        return;
    }
    // Up to twice as many passes as cores are under way: those beyond the
    // cores wait for one, and a pass that has finished holds only its text.
    if (static_cast<int>(jobs_.size()) >= 2 * options_.jobs) {
        std::unique_ptr<Job> oldest = std::move(jobs_.front());
        jobs_.pop_front();
        collect(*oldest);
    }
    start_job(print_head);
}

void PassRunner::start_job(bool print_head) {
    auto job = std::make_unique<Job>();
    const Io& from = session_.io;
    job->io = std::make_unique<Io>(Io{job->no_answers, job->console, from.dir, job->files});
    Io& io = *job->io;
    io.elapsed = from.elapsed;
    io.clock = from.clock;
    io.progress = from.progress;  // told from this pass's thread
    io.stop_requested = from.stop_requested;
    io.max_pass_bytes = from.max_pass_bytes;
    io.max_individuals = from.max_individuals;
    io.max_uniform_draws = from.max_uniform_draws;
    io.input_dir = from.input_dir;
    io.messages = &job->messages;
    io.quiet = from.quiet;
    job->wa = std::make_unique<WorkArea>(io);
    WorkArea& wa = *job->wa;
    const WorkArea& s = session_;
    wa.random = s.random;
    wa.answers = s.answers;
    wa.batch_file_name = s.batch_file_name;
    wa.iteration = s.iteration;
    wa.rows_read = s.rows_read;
    wa.replicate = s.replicate;
    wa.params = s.params;
    wa.derived = s.derived;
    RankOrderInput& r = wa.rank_order;
    const RankOrderInput& sr = s.rank_order;
    r.file_name = sr.file_name;
    r.assemblage = sr.assemblage;
    r.body_weights = sr.body_weights;
    r.abundance = sr.abundance;
    r.weight = sr.weight;
    r.rows = sr.rows;
    r.model_type = sr.model_type;
    r.z = sr.z;
    r.X = sr.X;
    r.truncation = sr.truncation;
    r.head_species = sr.head_species;
    wa.range_x = s.range_x;
    wa.range_y = s.range_y;
    wa.heterogeneity_given = s.heterogeneity_given;
    const auto from_reports = session_.reports.all();
    const auto to_reports = wa.reports.all();
    for (std::size_t i = 0; i < from_reports.size(); ++i)
        if (from_reports[i]->is_open()) to_reports[i]->open(io);
    wa.reports.habitat_grids = s.reports.habitat_grids;
    Job* j = job.get();
    const bool run_seeds = options_.run_seeds;
    const long long ticket = ++tickets_;
    job->thread = std::thread([this, j, run_seeds, print_head, ticket] {
        take_core(ticket);
        try {
            if (print_head) print_pass_head(*j->wa, run_seeds);
            j->built = run_model_pass(*j->wa);
            for (ReportFile* f : j->wa->reports.all()) f->flush();
        } catch (...) {
            j->failure = std::current_exception();
        }
        j->wa->release_pass_arrays();
        free_core();
    });
    jobs_.push_back(std::move(job));
}

void PassRunner::collect(Job& job) {
    job.thread.join();
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
    session_.times += job.wa->times;
    if (job.failure) std::rethrow_exception(job.failure);
    after_pass(*job.wa, job.built);
}

void PassRunner::drain() {
    while (!jobs_.empty()) {
        std::unique_ptr<Job> oldest = std::move(jobs_.front());
        jobs_.pop_front();
        collect(*oldest);
    }
}

void PassRunner::after_pass(const WorkArea& pass, bool built) {
    if (!built) {
        if (!session_.answers.batch_run()) end_program(exit_error);
        session_.exit_status = exit_error;  // a batch goes on with its next row
    }
    if (manifest_.active()) {
        ManifestRun r;
        r.run = pass.pass.run;
        r.row = pass.rows_read;
        r.replicate = pass.pass.replicate;
        r.seed = pass.pass.seed;
        r.after = StreamState{pass.random.seed(), pass.derived.heterogeneity, pass.range_x, pass.range_y};
        for (const ReportFile* f : tracked_) r.sizes.push_back(f->size());
        manifest_.run(r);
    }
}

}  // namespace lorvenna
