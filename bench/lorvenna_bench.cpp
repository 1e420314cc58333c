// Benchmarks: runs named scenarios (batch files in bench/scenarios) in-process
// and reports, per scenario, the time of each stage, the random draws, the draw
// floor (the same draws timed alone in the same process), the ratio of the
// whole run to that floor, the share of sampling and statistics (sampling,
// evaluation, community statistics) in the run, the peak memory, the bytes
// the grid-sized arrays need and the growth of resident memory over the run
// against those bytes.  Each scenario runs in its own
// child process so that its peak memory is its own; with --repeat N the
// median of N runs is reported.
//
//   build/dev/lorvenna_bench [--repeat N] [--tidy] [--progress] [--jobs N] [scenario ...]
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
#include "core/progress_line.hpp"
#include "driver/session.hpp"
#include "work_area.hpp"

namespace fs = std::filesystem;
using namespace lorvenna;

namespace {

struct Measure {
    double total = 0.0;
    StageTimes stages;
    double uniform_draws = 0.0, normal_draws = 0.0;
    double floor = 0.0;
    double peak_mib = 0.0;
    double start_mib = 0.0;  // resident memory before the session
    double grid_mib = 0.0;   // bytes the grid-sized arrays of the model need
};

// Resident memory of this process now, MiB.
double resident_mib() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0.0, resident = 0.0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
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

// Times the same numbers of draws as the run made, alone: normals first (each
// consumes its own uniforms), then the remaining plain uniforms.
double draw_floor(std::uint64_t uniforms, std::uint64_t normals) {
    RandomStream r(12345);
    const auto start = std::chrono::steady_clock::now();
    double sink = 0.0;
    for (std::uint64_t i = 0; i < normals; ++i) sink += r.normal();
    const std::uint64_t left = uniforms > r.uniform_draws() ? uniforms - r.uniform_draws() : 0;
    for (std::uint64_t i = 0; i < left; ++i) sink += r.uniform();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (sink == 0.123456789) std::puts("");  // keeps the loops from being optimised away
    return seconds;
}

bool with_tidy = false;      // --tidy: the tidy tables are written too
bool with_progress = false;  // --progress: a terminal progress line, drawn to /dev/null
int jobs = 1;                // --jobs N: passes at once (with run seeds)

Measure run_scenario(const fs::path& scenario) {
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
    const SessionObserver read_session = [&m](const WorkArea& wa) {
        m.stages = wa.times;
        if (wa.answers.sampling()) m.grid_mib = grid_array_mib(wa.derived);
        m.uniform_draws = static_cast<double>(wa.random.uniform_draws());
        m.normal_draws = static_cast<double>(wa.random.normal_draws());
    };
    m.start_mib = resident_mib();
    const auto start = std::chrono::steady_clock::now();
    SessionOptions options;
    options.seed = 20261208u;
    options.tidy = with_tidy;
    options.jobs = jobs;
    options.run_seeds = jobs > 1;
    run_session(io, options, read_session);
    m.total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.floor = draw_floor(static_cast<std::uint64_t>(m.uniform_draws), static_cast<std::uint64_t>(m.normal_draws));
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

}  // namespace

int main(int argc, char** argv) {
    int repeat = 1;
    std::vector<fs::path> scenarios;
    const fs::path dir = fs::path(LORVENNA_SOURCE_DIR) / "bench" / "scenarios";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--tidy") {
            with_tidy = true;
        } else if (a == "--progress") {
            with_progress = true;
        } else if (a == "--jobs" && i + 1 < argc) {
            jobs = std::max(1, std::atoi(argv[++i]));
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
    std::printf("%-18s %7s %6s %6s %6s %6s %6s %6s %6s %11s %10s %7s %6s %6s %8s %8s %6s\n", "scenario", "total_s",
                "model", "grid", "place", "sample", "eval", "stats", "output", "uniforms", "normals", "floor_s",
                "ratio", "samp%", "peak_MiB", "grid_MiB", "mem_x");
    for (const auto& s : scenarios) {
        std::vector<Measure> runs;
        for (int r = 0; r < repeat; ++r) runs.push_back(run_in_child(s));
        auto med = [&runs](auto field) {
            std::vector<double> v;
            for (const auto& m : runs) v.push_back(field(m));
            return median(v);
        };
        const double total = med([](const Measure& m) { return m.total; });
        const double floor = med([](const Measure& m) { return m.floor; });
        const double sampling = med([](const Measure& m) {
            return m.total > 0.0 ? (m.stages.sampling + m.stages.evaluation + m.stages.statistics) / m.total : 0.0;
        });
        const double grid = med([](const Measure& m) { return m.grid_mib; });
        const double growth = med([](const Measure& m) { return m.peak_mib - m.start_mib; });
        std::printf("%-18s %7.3f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f %11.0f %10.0f %7.3f %6.2f %6.1f %8.1f %8.1f %6.2f\n",
                    s.stem().c_str(), total, med([](const Measure& m) { return m.stages.model; }),
                    med([](const Measure& m) { return m.stages.grid; }),
                    med([](const Measure& m) { return m.stages.placement; }),
                    med([](const Measure& m) { return m.stages.sampling; }),
                    med([](const Measure& m) { return m.stages.evaluation; }),
                    med([](const Measure& m) { return m.stages.statistics; }),
                    med([](const Measure& m) { return m.stages.output; }),
                    med([](const Measure& m) { return m.uniform_draws; }),
                    med([](const Measure& m) { return m.normal_draws; }), floor, floor > 0 ? total / floor : 0.0,
                    100.0 * sampling, med([](const Measure& m) { return m.peak_mib; }), grid,
                    grid > 0.0 ? growth / grid : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
