// Benchmarks: runs named scenarios (batch files in bench/scenarios) in-process
// and reports, per scenario, the time of each stage, the random draws, the draw
// floor (the same draws timed alone in the same process, the generator
// stepped one draw after another) with its cost per uniform and per normal,
// the ratio of the whole run to that floor, the same draws through the
// program's own stream, the placing time per placed individual, the share of
// sampling and statistics (sampling, evaluation, community statistics) in the
// run, the peak memory, the bytes the grid-sized arrays need and the growth of
// resident memory over the run against those bytes.  Each scenario runs in
// its own child process so that its peak memory is its own; with --repeat N
// the median of N runs is reported.  A run faster than a floor of its own
// draws is reported on standard error: that floor times more than the draws.
//
// With --beside N it compares instead, for every scenario, one session of N
// passes at once (--jobs N) with N sessions of one pass at a time running
// side by side, the same passes each (run seeds), alternately.
//
//   build/dev/lorvenna_bench [--repeat N] [--tidy] [--rarefaction] [--progress] [--jobs N | --beside N]
//                            [--replicates K] [scenario ...]
//
// --rarefaction writes the tidy tables and rarefaction.csv (implies --tidy).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/io_seam.hpp"
#include "driver/progress_line.hpp"
#include "data/session.hpp"
#include "driver/session.hpp"

namespace fs = std::filesystem;
using namespace lorvenna;

namespace {

// The draw floor: the same numbers of normal and uniform draws as the run
// made, timed alone, each loop summing into registers of its own so that a
// draw costs its arithmetic and nothing else.  Normals first (each consumes
// its own uniforms), then the remaining plain uniforms.
struct Floor {
    double normals_s = 0.0, uniforms_s = 0.0;
    double seconds() const { return normals_s + uniforms_s; }
};

struct Measure {
    double total = 0.0;
    StageTimes stages;
    double uniform_draws = 0.0, normal_draws = 0.0;
    Floor floor;         // the serial step
    Floor stream;        // the program's stream
    double placed = 0.0;  // individuals placed
    double peak_mib = 0.0;
    double start_mib = 0.0;  // resident memory before the session
    double start_file_mib = 0.0;  // of it, pages of files: code and libraries
    double end_file_mib = 0.0;    // pages of files right after the session
    double grid_mib = 0.0;   // bytes the grid-sized arrays of the model need
};

// Resident memory of this process now, MiB: in all, and of it the pages of
// files (the program's code and its libraries, shared and evictable).
struct Resident {
    double all = 0.0, files = 0.0;
};
Resident resident_mib() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0.0, resident = 0.0, shared = 0.0;
    statm >> pages >> resident >> shared;
    const double mib = static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
    return {resident * mib, shared * mib};
}

// What the model's grid-sized arrays need: the habitat (float) and the cell
// counts (32 bits) of every cell, and under a niche limit the niche numbers
// and species counts (32 bits) and the counted mark (a byte).
double grid_array_mib(const DerivedValues& d) {
    const double side = d.grid_side > 0 ? d.grid_side : 0;
    const double cells = side * side;
    const double per_cell = 4.0 + 4.0 + (d.niche_level > 0.0f ? 4.0 + 4.0 + 1.0 : 0.0);
    return cells * per_cell / (1024.0 * 1024.0);
}

// Growth of anonymous memory (heap, arrays, stacks) at the peak: the peak less
// the pages of files at the end of the session and the anonymous memory
// before it.  Code pages first touched after the peak would make it too
// small; the session touches almost all of its code before it frees the grids.
double anonymous_growth_mib(const Measure& m) {
    return m.peak_mib - m.end_file_mib - (m.start_mib - m.start_file_mib);
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Keeps a sum alive without storing it on every iteration.
void keep(double sum) { asm volatile("" : : "x"(sum)); }

// Uniforms from `draw`, summed into four registers in turn: one sum would
// add its own latency to every draw.
template <class Draw>
double time_uniforms(std::uint64_t count, Draw&& draw) {
    const auto start = std::chrono::steady_clock::now();
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
    std::uint64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        a += draw();
        b += draw();
        c += draw();
        d += draw();
    }
    for (; i < count; ++i) a += draw();
    keep(a + b + c + d);
    return seconds_since(start);
}

// The generator stepped one draw after another: the serial chain of the
// 69069 multiply and add, the honest floor of the stream.
Floor serial_floor(std::uint64_t uniforms, std::uint64_t normals) {
    std::uint32_t state = 12345u;
    std::uint64_t drawn = 0;
    Floor f;
    {
        const auto start = std::chrono::steady_clock::now();
        double sum = 0.0;
        for (std::uint64_t i = 0; i < normals; ++i)
            sum += RandomStream::box_muller([&] {
                ++drawn;
                state = RandomStream::step(state);
                return RandomStream::unit(state);
            });
        keep(sum);
        f.normals_s = seconds_since(start);
    }
    const std::uint64_t left = uniforms > drawn ? uniforms - drawn : 0;
    f.uniforms_s = time_uniforms(left, [&] {
        state = RandomStream::step(state);
        return RandomStream::unit(state);
    });
    return f;
}

// The same draws through the program's own stream, as every stage takes them.
Floor stream_floor(std::uint64_t uniforms, std::uint64_t normals) {
    RandomStream r(12345u);
    Floor f;
    {
        const auto start = std::chrono::steady_clock::now();
        double sum = 0.0;
        for (std::uint64_t i = 0; i < normals; ++i) sum += r.normal();
        keep(sum);
        f.normals_s = seconds_since(start);
    }
    const std::uint64_t left = uniforms > r.uniform_draws() ? uniforms - r.uniform_draws() : 0;
    f.uniforms_s = time_uniforms(left, [&r] { return r.uniform(); });
    return f;
}

// Individuals placed in the session: the AssInd column of every species
// table in Distribution.txt.
double individuals_placed(const fs::path& dir) {
    std::ifstream in(dir / "Distribution.txt");
    std::string line;
    double total = 0.0;
    bool in_table = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (line.rfind("SpeNo", 0) == 0) {
            in_table = true;
            continue;
        }
        double number = 0.0, weight = 0.0, expected = 0.0, assigned = 0.0;
        if (in_table && (fields >> number >> weight >> expected >> assigned))
            total += assigned;
        else
            in_table = false;
    }
    return total;
}

bool with_tidy = false;      // --tidy: the tidy tables are written too
bool with_curves = false;    // --rarefaction: the tidy tables and the rarefaction curves of every pass
bool with_progress = false;  // --progress: a terminal progress line, drawn to /dev/null
int jobs = 0;                // --jobs N: passes at once, with run seeds (0: not given, no run seeds)
int replicates = 1;          // --replicates K: each row K times

// The scenario's session and, with `floors`, the draw floors after it.
Measure run_scenario(const fs::path& scenario, bool floors = true) {
    const fs::path dir = fs::temp_directory_path() / ("lorvenna-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::copy_file(scenario, dir / "runs.txt", fs::copy_options::overwrite_existing);
    // Model-only scenarios are named m_*; all others sample.
    const bool model_only = scenario.filename().string().rfind("m_", 0) == 0;
    std::istringstream in(model_only ? "m\nyes\nruns.txt\n" : "s\nno\ng\nyes\nruns.txt\n0\nno\n");
    std::ostringstream console;
    Io io{in, console, dir, real_file_system()};
    std::filebuf screen;
    screen.open("/dev/null", std::ios::out);
    ProgressSettings shown;
    shown.width = 200;
    ProgressLine line(screen, shown, io.clock);
    if (with_progress) io.progress = &line;
    Measure m;
    const SessionObserver read_session = [&m](const Session& session) {
        m.stages = session.times;
        if (session.answers.sampling()) m.grid_mib = grid_array_mib(session.pass.derived);
        m.uniform_draws = static_cast<double>(session.pass.random.uniform_draws());
        m.normal_draws = static_cast<double>(session.pass.random.normal_draws());
    };
    const Resident before = resident_mib();
    m.start_mib = before.all;
    m.start_file_mib = before.files;
    const auto start = std::chrono::steady_clock::now();
    SessionOptions options;
    options.seed = 20261208u;
    options.tidy = with_tidy || with_curves;
    options.rarefaction.curves = with_curves;
    // --jobs 1 and --jobs 2 both run with run seeds, so that they make the same passes.
    options.jobs = std::max(jobs, 1);
    options.run_seeds = jobs > 0;
    options.replicates = replicates;
    run_session(io, options, read_session);
    m.total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.end_file_mib = resident_mib().files;
    const auto uniforms = static_cast<std::uint64_t>(m.uniform_draws);
    const auto normals = static_cast<std::uint64_t>(m.normal_draws);
    if (floors) {
        m.floor = serial_floor(uniforms, normals);
        m.stream = stream_floor(uniforms, normals);
    }
    m.placed = individuals_placed(dir);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    m.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
    fs::remove_all(dir);
    return m;
}

// Runs the scenario in a child process and reads its measure back through a pipe.
Measure run_in_child(const fs::path& scenario) {
    int fd[2];
    if (pipe(fd) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fd[0]);
        const Measure m = run_scenario(scenario);
        if (write(fd[1], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) _exit(1);
        _exit(0);
    }
    close(fd[1]);
    Measure m;
    if (read(fd[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) m = Measure{};
    close(fd[0]);
    waitpid(pid, nullptr, 0);
    return m;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double seconds_of(const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); }

// Wall and processor seconds of `sessions` children started at once, each
// running the scenario with `passes_at_once` passes at once and run seeds.
struct Together {
    double wall = 0.0, cpu = 0.0;
};
Together run_children(const fs::path& scenario, int sessions, int passes_at_once) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<pid_t> children;
    for (int k = 0; k < sessions; ++k) {
        const pid_t pid = fork();
        if (pid == 0) {
            jobs = passes_at_once;
            run_scenario(scenario, false);
            _exit(0);
        }
        if (pid > 0) children.push_back(pid);
    }
    Together t;
    for (const pid_t pid : children) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) t.cpu += seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    }
    t.wall = seconds_since(start);
    return t;
}

// --beside N: one session of N passes at once against N sessions of one pass
// at a time side by side, alternately, `repeat` times; per session (the
// side-by-side wall over N), medians.  `ratio` is jobs_s / beside_s: 1 when
// the passes beside each other in one process lose nothing to N processes.
void compare_beside(const std::vector<fs::path>& scenarios, int n, int repeat) {
    std::printf("%-18s %5s %9s %9s %6s %8s %8s\n", "scenario", "jobs", "jobs_s", "beside_s", "ratio", "jobs_cpu",
                "bsd_cpu");
    for (const auto& s : scenarios) {
        std::vector<double> together, apart, ratios, together_cpu, apart_cpu;
        for (int r = 0; r < repeat; ++r) {
            const Together one = run_children(s, 1, n);
            const Together many = run_children(s, n, 1);
            together.push_back(one.wall);
            apart.push_back(many.wall / n);
            ratios.push_back(one.wall / (many.wall / n));
            together_cpu.push_back(one.cpu);
            apart_cpu.push_back(many.cpu / n);
        }
        std::printf("%-18s %5d %9.3f %9.3f %6.3f %8.3f %8.3f\n", s.stem().c_str(), n, median(together), median(apart),
                    median(ratios), median(together_cpu), median(apart_cpu));
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 1;
    int beside = 0;
    std::vector<fs::path> scenarios;
    const fs::path dir = fs::path(LORVENNA_SOURCE_DIR) / "bench" / "scenarios";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--tidy") {
            with_tidy = true;
        } else if (a == "--rarefaction") {
            with_curves = true;
        } else if (a == "--progress") {
            with_progress = true;
        } else if (a == "--jobs" && i + 1 < argc) {
            jobs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--beside" && i + 1 < argc) {
            beside = std::max(2, std::atoi(argv[++i]));
        } else if (a == "--replicates" && i + 1 < argc) {
            replicates = std::max(1, std::atoi(argv[++i]));
        } else {
            fs::path p = a;
            if (!fs::exists(p)) p = dir / (a + ".txt");
            scenarios.push_back(p);
        }
    }
    if (scenarios.empty()) {
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() == ".txt") scenarios.push_back(e.path());
        std::sort(scenarios.begin(), scenarios.end());
    }
    if (beside > 0) {
        compare_beside(scenarios, beside, repeat);
        return 0;
    }
    std::printf("%-18s %7s %6s %6s %6s %6s %6s %6s %6s %11s %10s %7s %5s %5s %5s %7s %5s %5s %6s %6s %8s %8s %6s %6s\n",
                "scenario", "total_s", "model", "grid", "place", "sample", "eval", "stats", "output", "uniforms",
                "normals", "floor_s", "ns_u", "ns_n", "ratio", "strm_s", "sns_u", "sns_n", "ns_ind", "samp%",
                "peak_MiB", "grid_MiB", "mem_x", "anon_x");
    for (const auto& s : scenarios) {
        std::vector<Measure> runs;
        for (int r = 0; r < repeat; ++r) {
            runs.push_back(run_in_child(s));
            const Measure& m = runs.back();
            // A pass cannot beat its own draws: if it does, a floor times more than the draws.
            if (m.total < m.floor.seconds())
                std::fprintf(stderr, "warning: %s run %d: total %.3f s below the serial draw floor %.3f s\n",
                             s.stem().c_str(), r + 1, m.total, m.floor.seconds());
            if (m.total < m.stream.seconds())
                std::fprintf(stderr, "warning: %s run %d: total %.3f s below the stream's draw floor %.3f s\n",
                             s.stem().c_str(), r + 1, m.total, m.stream.seconds());
        }
        auto med = [&runs](auto field) {
            std::vector<double> v;
            for (const auto& m : runs) v.push_back(field(m));
            return median(v);
        };
        auto per_draw = [](double seconds, double draws) { return draws > 0.0 ? 1e9 * seconds / draws : 0.0; };
        // Uniforms left for the uniform loop once the normals have taken theirs (about two each).
        auto plain = [](const Measure& m) { return std::max(0.0, m.uniform_draws - 2.0 * m.normal_draws); };
        const double grid = med([](const Measure& m) { return m.grid_mib; });
        std::printf("%-18s %7.3f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f %11.0f %10.0f %7.3f %5.2f %5.1f %5.2f %7.3f "
                    "%5.2f %5.1f %6.2f %6.1f %8.1f %8.1f %6.2f %6.2f\n",
                    s.stem().c_str(), med([](const Measure& m) { return m.total; }),
                    med([](const Measure& m) { return m.stages.model; }),
                    med([](const Measure& m) { return m.stages.grid; }),
                    med([](const Measure& m) { return m.stages.placement; }),
                    med([](const Measure& m) { return m.stages.sampling; }),
                    med([](const Measure& m) { return m.stages.evaluation; }),
                    med([](const Measure& m) { return m.stages.statistics; }),
                    med([](const Measure& m) { return m.stages.output; }),
                    med([](const Measure& m) { return m.uniform_draws; }),
                    med([](const Measure& m) { return m.normal_draws; }),
                    med([](const Measure& m) { return m.floor.seconds(); }),
                    med([&](const Measure& m) { return per_draw(m.floor.uniforms_s, plain(m)); }),
                    med([&](const Measure& m) { return per_draw(m.floor.normals_s, m.normal_draws); }),
                    med([](const Measure& m) { return m.floor.seconds() > 0.0 ? m.total / m.floor.seconds() : 0.0; }),
                    med([](const Measure& m) { return m.stream.seconds(); }),
                    med([&](const Measure& m) { return per_draw(m.stream.uniforms_s, plain(m)); }),
                    med([&](const Measure& m) { return per_draw(m.stream.normals_s, m.normal_draws); }),
                    med([&](const Measure& m) { return per_draw(m.stages.placement, m.placed); }),
                    100.0 * med([](const Measure& m) {
                        return m.total > 0.0 ? (m.stages.sampling + m.stages.evaluation + m.stages.statistics) / m.total
                                             : 0.0;
                    }),
                    med([](const Measure& m) { return m.peak_mib; }), grid,
                    grid > 0.0 ? med([](const Measure& m) { return m.peak_mib - m.start_mib; }) / grid : 0.0,
                    grid > 0.0 ? med([](const Measure& m) { return anonymous_growth_mib(m); }) / grid : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
