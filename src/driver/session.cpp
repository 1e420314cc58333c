#include "driver/session.hpp"

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>
#include <ostream>
#include <random>

#include "batch/batch_check.hpp"
#include "batch/batch_file.hpp"
#include "batch/rows_not_run.hpp"
#include "core/console.hpp"
#include "core/program_end.hpp"
#include "core/runtime_report.hpp"
#include "core/session_limits.hpp"
#include "driver/banner.hpp"
#include "driver/pass_runner.hpp"
#include "input/dialogue.hpp"
#include "input/rank_order_file.hpp"
#include "input/startup_questions.hpp"
#include "numerics/rounding.hpp"
#include "reports/analysis_report.hpp"
#include "reports/distribution_report.hpp"
#include "reports/grid_report.hpp"
#include "reports/rarefaction_table.hpp"
#include "reports/sample_report.hpp"
#include "reports/tidy_tables.hpp"
#include "sweeps/manifest.hpp"
#include "sweeps/resume.hpp"

namespace lorvenna {

// A seed word from the clock: a uniform number in (0, 1) from a generator
// seeded with the time, scaled to 0 .. 999 999 999.
std::uint32_t clock_seed_word() {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    std::mt19937_64 engine(static_cast<std::uint64_t>(ticks));
    std::uniform_real_distribution<double> v(0.0, 1.0);
    return static_cast<std::uint32_t>(trunc_to<std::int64_t>(v(engine) * 1.0e9));
}

namespace {

void open_grid_file(Session& s) {
    if (s.answers.grid_printing != keyword("yes", 4)) return;
    s.reports.grid.open(s.io);
    write_grid_header(s.reports.grid);
}

void open_rank_order_file(Session& s) {
    if (s.options.rank_order)
        open_rank_order_file(s.io, s.rank_order, s.pass.rank_order, *s.options.rank_order, s.options.weights);
    else
        open_rank_order_file(s.io, s.rank_order, s.pass.rank_order);
}

void open_named_batch_file(Session& s, const std::string& name) {
    s.batch.file = s.io.files.open_existing(s.io.input_path(name));
    if (!s.batch.file)
        end_program(exit_error, " Cannot open " + name + ": " + s.io.files.open_failure(s.io.input_path(name)));
    s.batch.name = name;
}

void open_map_and_cells_files(Session& s) {
    if (s.answers.map_species > 0.0f) s.reports.map.open(s.io);
    if (s.answers.cells == keyword("yes")) s.reports.cells.open(s.io);
}

void open_analysis_and_sample_files(Session& s) {
    s.reports.analysis.open(s.io);
    write_analysis_legend(s.reports.analysis);
    s.reports.sample.open(s.io);
    write_sample_head(s.reports.sample);
}

// The start-up answers a scripted run takes from its options.
SessionAnswers scripted_answers(const SessionOptions& o) {
    SessionAnswers a;
    a.mode = *o.mode;
    a.batch = keyword(o.batch ? "yes" : "no");
    a.source = o.source ? *o.source : keyword("g");
    a.grid_printing = keyword(o.diagonals ? "yes" : "no", 4);
    a.map_species = o.map_species;
    a.cells = keyword(o.cells ? "yes" : "no");
    return a;
}

// Start-up questions (or their answers in the options) and the report files
// of a model or sampling session.  A resumed run opens its files where the
// last finished pass left them, without their heads.  False when a batch
// file holds not even its header line: the session ends with no pass.
bool start_session(Session& s, const Manifest* resumed) {
    const SessionOptions& options = s.options;
    const bool scripted = options.scripted();
    if (scripted)
        s.answers = scripted_answers(options);
    else
        s.answers.source = keyword("g");
    s.pass.params.Permut = 1;
    if (resumed) {
        const std::vector<std::uint64_t>& sizes = resumed->runs.empty() ? resumed->head : resumed->runs.back().sizes;
        for (std::size_t i = 0; i < resumed->files.size(); ++i)
            for (ReportFile* f : s.reports.all())
                if (f->name() == resumed->files[i] && !(f == &s.reports.map && sizes[i] > 0))
                    f->open_to_append(s.io, sizes[i]);
        s.reports.habitat_grids = options.habitat;
        s.reports.curve_settings = options.rarefaction;
        if (s.answers.from_file()) open_rank_order_file(s);
        open_named_batch_file(s, *options.batch);
        return read_batch_header(s);
    }
    s.reports.distribution.open(s.io);
    write_distribution_head(s.reports.distribution);
    if (s.answers.sampling()) {
        if (!scripted) s.answers.grid_printing = ask_grid_printing(s.io);
        open_grid_file(s);
        if (!scripted) s.answers.source = ask_distribution_source(s.io);
        if (s.answers.from_file()) open_rank_order_file(s);
    }
    if (!scripted) {
        s.answers.batch = ask_batch_run(s.io);
        if (s.answers.batch_run()) ask_batch_file(s.io, s.batch);
    } else if (options.batch) {
        open_named_batch_file(s, *options.batch);
    }
    if (s.answers.batch_run() && !read_batch_header(s)) return false;
    if (s.answers.sampling()) {
        if (!scripted) {
            s.answers.map_species = ask_map_species(s.io);
            if (s.answers.map_species > 0.0f) s.reports.map.open(s.io);
            s.answers.cells = ask_cells(s.io);
            if (s.answers.cells == keyword("yes")) s.reports.cells.open(s.io);
        } else {
            open_map_and_cells_files(s);
        }
        open_analysis_and_sample_files(s);
    }
    if (options.tidy) open_tidy_tables(s.reports, s.io, options.habitat);
    if (options.tidy && options.rarefaction.curves) {
        open_rarefaction_table(s.reports.rarefaction, s.io);
        s.reports.curve_settings = options.rarefaction;
    }
    s.iteration = 0;
    return true;
}

// The files whose sizes the manifest records after every pass: those the
// session writes, in a fixed order (a resumed run: those of its manifest).
std::vector<const ReportFile*> tracked_files(Session& s, const Manifest* resumed) {
    std::vector<const ReportFile*> files;
    if (resumed) {
        for (const std::string& name : resumed->files)
            for (ReportFile* f : s.reports.all())
                if (f->name() == name) files.push_back(f);
        return files;
    }
    for (ReportFile* f : s.reports.all())
        if (f->is_open()) files.push_back(f);
    return files;
}

// A resumed run whose passes continue one stream starts where the last
// finished pass left the stream, the heterogeneity factor and the range centre.
void restore_stream(Session& s, const Manifest& m) {
    if (s.options.run_seeds || m.runs.empty()) return;
    const StreamState& after = m.runs.back().after;
    s.pass.random.reseed(after.seed);
    s.pass.derived.heterogeneity = after.heterogeneity;
    s.pass.centre = RangeCentre{after.range_x, after.range_y};
}

// --check: every row of the batch file checked, nothing run.  Status 0 when every row passes.
int check_only(Io& io, const SessionOptions& options) {
    const SessionAnswers answers = scripted_answers(options);
    const BatchCheck check =
        check_batch_file(io, answers, *options.batch, options.rank_order.value_or(""), options.weights);
    for (const RowFault& fault : check.faults) say_fixed(io, fault_line(*options.batch, fault));
    if (check.blocks_end > 0)
        say_fixed(io, *options.batch + ":" + std::to_string(check.blocks_end) +
                          ": note: the rank-order file has no block left for this row; a run ends here");
    say_fixed(io, std::to_string(check.rows) + " rows checked, " + std::to_string(check.faults.size()) + " faulty");
    return check.faults.empty() ? exit_ok : exit_error;
}

// A scripted batch is checked whole before its first row runs: a fault in
// row 300 stops it before row 1, not after 299 rows.  Returns the passes the
// run will make.
long long check_before_running(Io& io, const SessionOptions& options) {
    const BatchCheck check = check_batch_file(io, scripted_answers(options), *options.batch,
                                              options.rank_order.value_or(""), options.weights);
    if (check.faults.empty()) {
        long long last = check.blocks_end > 0 ? check.blocks_end - 2 : check.rows;  // blocks_end is a line
        if (options.last_row > 0) last = std::min(last, options.last_row);
        const long long first = options.first_row > 0 ? options.first_row : 1;
        return std::max(0LL, last - first + 1) * options.replicates;
    }
    for (const RowFault& fault : check.faults) warn_fixed(io, fault_line(*options.batch, fault));
    end_program(exit_error, " The batch file has " + std::to_string(check.faults.size()) +
                                " faulty row(s); nothing was run");
}

// The passes of the slice that a resumed run finds finished: it counts only
// those it has left.
long long passes_before(const SessionOptions& options, const Resumption& r) {
    const long long first = options.first_row > 0 ? options.first_row : 1;
    return std::max(0LL, (r.next_row - first) * options.replicates + r.next_replicate - 1);
}

// Sets the session's pass up for a row (0: the dialogue's parameters) and
// replicate, and returns which pass it is.  Under --run-seeds the pass gets
// its own seed word and nothing left from the pass before (the heterogeneity
// factor and the range centre carry over from pass to pass only when passes
// continue one stream).
PassIdentity set_up_pass(Session& s, std::uint32_t session_seed, long long row, int replicate) {
    const int k = s.options.replicates;
    s.replicate = replicate;
    s.iteration = s.answers.batch_run() ? static_cast<int>((row - 1) * k + replicate) : (k > 1 ? replicate : 0);
    if (s.options.run_seeds) {
        s.pass.random.reseed(seed_of_pass(session_seed, row, replicate));
        s.pass.derived.heterogeneity = 0.0f;
        s.pass.centre = RangeCentre{};
    }
    return PassIdentity{s.iteration > 0 ? s.iteration : 1, s.answers.batch_run() ? row + 1 : 0, replicate};
}

// Reads the next block of the rank-order file into the session's pass; false
// when the blocks have run out.
bool read_block(Session& s) {
    if (!read_rank_order_block(s.rank_order, s.pass.rank_order)) return false;
    s.pass.derived.species = s.pass.rank_order.rows;
    return true;
}

// The dialogue's parameter set, run once or as replicates.
void run_dialogue_passes(Session& s, std::uint32_t session_seed, PassRunner& runner) {
    run_parameter_dialogue(s.io, s.answers, s.pass);
    if (s.io.progress != nullptr) s.io.progress->planned(s.options.replicates);
    if (s.answers.from_file() && !read_block(s)) return;
    for (int rep = 1; rep <= s.options.replicates; ++rep) runner.run(set_up_pass(s, session_seed, 0, rep), true);
    runner.drain();
}

// The end of the rows of a batch run.
void say_batch_end(Session& s) { tell_fixed(s.io, " End of batch file reached"); }

// The rows of the batch file (of the slice --rows names), every row once per
// replicate.  Rows before the slice are read and settled but not run, so that
// the values short rows carry are those a whole run would leave.
void run_batch_passes(Session& s, std::uint32_t session_seed, PassRunner& runner,
                      const std::optional<Resumption>& resumption) {
    const SessionOptions& options = s.options;
    const long long first = options.first_row > 0 ? options.first_row : 1;
    const long long start = resumption ? resumption->next_row : first;
    const int start_replicate = resumption ? resumption->next_replicate : 1;
    while (s.batch.rows_read + 1 < start) {
        if (read_and_settle_row(s, false) == RowRead::end) return say_batch_end(s);
        if (!settle_without_pass(s, false)) return;  // the blocks of the rank-order file ran out
    }
    const bool from_file = s.answers.from_file();
    bool batch_ended = false;
    try {
        for (bool blocks_left = true; blocks_left;) {
            if (options.last_row > 0 && s.batch.rows_read >= options.last_row) break;
            if (read_and_settle_row(s, true) == RowRead::end) {
                batch_ended = true;
                break;
            }
            const long long row = s.batch.rows_read;
            derive_carried_values(s);
            for (int rep = row == start ? start_replicate : 1; rep <= options.replicates && blocks_left; ++rep) {
                const PassIdentity id = set_up_pass(s, session_seed, row, rep);
                if (from_file && rep == (row == start ? start_replicate : 1)) {
                    // The pass's head comes before its block is read, as when each pass read its own.
                    print_pass_head(s.io, true, options.run_seeds, id, s.pass);
                    blocks_left = read_block(s);
                    if (!blocks_left) break;
                    derive_carried_values(s);
                    runner.run(id, false);
                } else {
                    if (from_file) print_pass_head(s.io, true, options.run_seeds, id, s.pass);
                    runner.run(id, !from_file);
                }
            }
            if (!blocks_left) break;
            if (from_file) reposition_rank_order_file(s.rank_order, s.pass.rank_order);
            stop_if_requested(s.io, s.pass.random);
        }
    } catch (const ProgramEnd&) {
        runner.drain();  // the passes under way are written before the session ends
        throw;
    }
    runner.drain();
    if (batch_ended) say_batch_end(s);
}

// Closes every report file; a failure to close names the file and raises the status.
int close_reports(Session& s, int status) {
    for (ReportFile* f : s.reports.all()) {
        try {
            f->close();
        } catch (const ProgramEnd& failure) {
            warn_fixed(s.io, failure.message);
            if (status == exit_ok) status = failure.status;
        } catch (const std::exception& failure) {
            warn_fixed(s.io, " Error while closing the file " + f->name() + ": " + failure.what());
            if (status == exit_ok) status = exit_error;
        }
    }
    s.batch.file.reset();
    s.rank_order.file.reset();
    return status;
}

// The orderly end every way out of a session goes through: the files closed,
// the manifest finished when every row ran, the run-time report.
int finish_session(Session& s, int status, bool every_row_run, ManifestWriter& manifest,
                   const SessionObserver& on_end) {
    if (status == exit_ok) status = s.exit_status;
    status = close_reports(s, status);
    if (every_row_run) manifest.finish(status);
    if (s.io.progress != nullptr) s.io.progress->finished();
    print_runtime_report(s.io);
    s.io.out.flush();
    if (on_end) on_end(s);
    return status;
}

}  // namespace

std::vector<RowFault> batch_faults(Io& io, const SessionOptions& options) {
    if (!options.batch) return {};
    return check_batch_file(io, scripted_answers(options), *options.batch, options.rank_order.value_or(""),
                            options.weights)
        .faults;
}

int run_session(Io& io, std::optional<std::uint32_t> seed, const SessionObserver& on_end) {
    SessionOptions options;
    options.seed = seed;
    return run_session(io, options, on_end);
}

int run_session(Io& io, const SessionOptions& options, const SessionObserver& on_end) {
    Session s(io);
    s.options = options;
    s.pass.given_heterogeneity = options.heterogeneity;
    const std::uint32_t session_seed = options.seed ? *options.seed : clock_seed_word();
    s.pass.random.reseed(session_seed);
    if (options.check) return check_only(io, options);
    int status = exit_ok;
    ManifestWriter manifest;
    bool every_row_run = false;
    try {
        print_banner(io, session_seed);
        s.answers.mode = options.mode ? *options.mode : ask_mode(io);
        if (s.answers.mode == keyword("b")) {
            write_batch_template(io);
        } else {
            const long long passes = options.scripted() && options.batch ? check_before_running(io, options) : -1;
            const std::optional<Resumption> resumption =
                options.resume ? prepare_resumption(io, options, session_seed) : std::nullopt;
            if (resumption && resumption->complete) {
                tell_fixed(io, " Every pass of the run in " + *options.out + " is finished: nothing to resume");
                return finish_session(s, status, false, manifest, on_end);
            }
            if (passes >= 0 && io.progress != nullptr)
                io.progress->planned(passes - (resumption ? passes_before(options, *resumption) : 0));
            if (!start_session(s, resumption ? &resumption->manifest : nullptr))
                return finish_session(s, status, s.answers.batch_run(), manifest, on_end);
            const std::vector<const ReportFile*> tracked = tracked_files(s, resumption ? &resumption->manifest : nullptr);
            if (options.out) {
                // The heads are on disk before the manifest records their sizes.
                for (ReportFile* f : s.reports.all()) f->flush();
                Manifest m = resumption ? resumption->manifest : describe_run(io, options, session_seed, tracked);
                if (!manifest.start(io.output_path(manifest_name), m))
                    end_program(exit_error, std::string(" Cannot write the file ") + manifest_name);
            }
            if (resumption) restore_stream(s, resumption->manifest);
            PassRunner runner(s, manifest, tracked);
            if (s.answers.batch_run())
                run_batch_passes(s, session_seed, runner, resumption);
            else
                run_dialogue_passes(s, session_seed, runner);
            every_row_run = true;
        }
    } catch (const ProgramEnd& end) {
        if (!end.message.empty()) warn_fixed(io, end.message);
        status = end.status;
    } catch (const std::bad_alloc& failure) {
        // The arrays of the pass go first, so that the orderly end has memory to work with.
        s.pass.release_arrays();
        warn_fixed(io, std::string(" Not enough memory: an allocation of the run failed (") + failure.what() + ")");
        status = exit_error;
    } catch (const std::exception& failure) {
        warn_fixed(io, std::string(" Error: the run stopped on a failure: ") + failure.what());
        status = exit_error;
    }
    return finish_session(s, status, every_row_run, manifest, on_end);
}

}  // namespace lorvenna
