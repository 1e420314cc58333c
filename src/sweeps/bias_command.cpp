#include "sweeps/bias_command.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/csv_table.hpp"
#include "core/io_seam.hpp"
#include "data/parameter_table.hpp"
#include "reports/bias_table.hpp"
#include "reports/tidy_tables.hpp"

namespace lorvenna {
namespace {

struct Unreadable {
    std::string why;
};

CsvTable read_table(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Unreadable{"cannot open " + path.string() + " (was the run made with --tidy?)"};
    auto table = read_csv_table(in);
    if (!table) throw Unreadable{path.string() + " is not a table of the tidy output"};
    return std::move(*table);
}

std::size_t column(const CsvTable& t, const std::string& name, const std::filesystem::path& path) {
    const auto c = t.column(name);
    if (!c) throw Unreadable{path.string() + " has no column " + name + " (written by an earlier version?)"};
    return *c;
}

double number(const std::string& text) {
    if (text.empty() || text == "NA") return std::nan("");
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' ? v : std::nan("");
}

struct RunOf {
    long long row = 0;
    std::vector<std::string> parameters;
};

}  // namespace

int summarise_bias(const std::string& dir, std::ostream& out, std::ostream& messages, StepListener* progress) {
    const std::filesystem::path folder(dir);
    try {
        const std::filesystem::path runs_path = folder / "runs.csv", samples_path = folder / "samples.csv";
        // The tables are read whole; their bytes measure the work.
        const auto bytes = [](const std::filesystem::path& p) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(p, ec);
            return ec ? 0.0 : static_cast<double>(size);
        };
        const auto read_counted = [&](long long step, const std::filesystem::path& p) {
            if (progress != nullptr) progress->step_started(step, p.filename().string());
            CsvTable t = read_table(p);
            if (progress != nullptr) progress->step_finished(step, bytes(p));
            return t;
        };
        if (progress != nullptr) progress->plan(2, bytes(runs_path) + bytes(samples_path));
        const CsvTable runs = read_counted(1, runs_path);
        const CsvTable samples = read_counted(2, samples_path);
        if (progress != nullptr) progress->finished();

        // Each run's row and parameters.
        const std::size_t run_col = column(runs, "run", runs_path), row_col = column(runs, "row", runs_path);
        std::vector<std::size_t> parameter_cols;
        const auto parameters = parameter_table();
        for (const ParameterDescriptor& d : parameters) parameter_cols.push_back(column(runs, std::string(d.column), runs_path));
        std::map<std::string, RunOf> run_of;
        for (const auto& r : runs.rows) {
            RunOf o;
            o.row = static_cast<long long>(number(r[row_col]));
            if (!std::isfinite(number(r[row_col]))) o.row = 0;
            for (const std::size_t c : parameter_cols) o.parameters.push_back(r[c]);
            run_of[r[run_col]] = o;
        }
        // The parameters that differ between the runs.
        std::vector<std::size_t> varying;
        for (std::size_t k = 0; k < parameter_cols.size(); ++k) {
            if (&parameters[k] == &parameter(&ParameterSet::Method)) continue;  // the design has a column of its own
            const std::string* first = nullptr;
            for (const auto& [run, o] : run_of) {
                if (first == nullptr) first = &o.parameters[k];
                else if (o.parameters[k] != *first) {
                    varying.push_back(k);
                    break;
                }
            }
        }
        std::vector<std::string> names;
        for (const std::size_t k : varying) names.emplace_back(parameters[k].column);

        // The largest sample of every run.
        const std::size_t s_run = column(samples, "run", samples_path), s_design = column(samples, "design", samples_path),
                          s_units = column(samples, "n_units", samples_path),
                          s_z = column(samples, "sar_z", samples_path), s_true_z = column(samples, "true_sar_z", samples_path);
        std::vector<std::size_t> s_bias;
        for (const char* e : estimator_names) s_bias.push_back(column(samples, std::string("bias_") + e, samples_path));
        std::map<long long, const std::vector<std::string>*> largest;  // by run number, in run order
        for (const auto& r : samples.rows) {
            const auto run = static_cast<long long>(number(r[s_run]));
            auto& kept = largest[run];
            if (kept == nullptr || number(r[s_units]) >= number((*kept)[s_units])) kept = &r;
        }

        // Groups by parameter row and design, in the order of their first run.
        std::vector<BiasGroup> groups;
        std::vector<std::vector<std::vector<double>>> values;  // per group: per estimator (and z error last) the values
        for (const auto& [run, r] : largest) {
            const auto found = run_of.find((*r)[s_run]);
            if (found == run_of.end()) throw Unreadable{"run " + std::to_string(run) + " of samples.csv is not in runs.csv"};
            const RunOf& o = found->second;
            const std::string& design = (*r)[s_design];
            auto g = std::find_if(groups.begin(), groups.end(), [&](const BiasGroup& x) {
                return x.row == o.row && x.design == design;
            });
            if (g == groups.end()) {
                BiasGroup fresh;
                fresh.row = o.row;
                fresh.design = (*r)[s_design];
                for (const std::size_t k : varying) fresh.parameters.push_back(o.parameters[k]);
                groups.push_back(fresh);
                values.emplace_back(estimator_names.size() + 1);
                g = groups.end() - 1;
            }
            const auto gi = static_cast<std::size_t>(g - groups.begin());
            ++g->replicates;
            g->n_units = std::max(g->n_units, static_cast<long long>(number((*r)[s_units])));
            for (std::size_t e = 0; e < s_bias.size(); ++e) values[gi][e].push_back(number((*r)[s_bias[e]]));
            values[gi].back().push_back(number((*r)[s_z]) - number((*r)[s_true_z]));
        }
        if (groups.empty()) throw Unreadable{folder.string() + " holds no sample of a sampling run"};
        for (std::size_t gi = 0; gi < groups.size(); ++gi) {
            for (std::size_t e = 0; e < estimator_names.size(); ++e) groups[gi].bias[e] = mean_spread(values[gi][e]);
            groups[gi].z_error = mean_spread(values[gi].back());
        }

        write_bias_table(out, names, groups);
        out.flush();
        std::istringstream no_console;
        std::ostringstream quiet;
        Io io{no_console, quiet, folder, real_file_system()};
        ReportFile csv("bias.csv");
        csv.open(io);
        write_bias_csv(csv, names, groups);
        csv.close();
        return 0;
    } catch (const Unreadable& u) {
        messages << " Cannot summarise the bias: " << u.why << "\n";
        return 1;
    }
}

}  // namespace lorvenna
