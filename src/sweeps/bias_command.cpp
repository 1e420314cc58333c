#include "sweeps/bias_command.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unordered_map>

#include "core/csv_records.hpp"
#include "core/csv_table.hpp"
#include "core/io_seam.hpp"
#include "data/parameter_table.hpp"
#include "reports/bias_table.hpp"

namespace lorvenna {
namespace {

struct Unreadable {
    std::string why;
};

double number(std::string_view text) {
    double v = std::nan("");
    if (text.empty() || text == "NA") return v;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    return error == std::errc() && end == text.data() + text.size() ? v : std::nan("");
}

long long whole(std::string_view text) {
    long long v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    return error == std::errc() && end == text.data() + text.size() ? v : 0;
}

// The columns of a table's header by name.
class Header {
public:
    Header(std::vector<std::string_view> names, std::filesystem::path path)
        : names_(std::move(names)), path_(std::move(path)) {}
    std::size_t operator[](std::string_view name) const {
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == name) return i;
        throw Unreadable{path_.string() + " has no column " + std::string(name) + " (written by an earlier version?)"};
    }
    std::size_t size() const { return names_.size(); }

private:
    std::vector<std::string_view> names_;
    std::filesystem::path path_;
};

CsvRecords open_records(const std::filesystem::path& path, std::vector<std::string_view>& header) {
    std::optional<std::string> text = read_file_text(path);
    if (!text) throw Unreadable{"cannot open " + path.string() + " (was the run made with --tidy?)"};
    CsvRecords records(std::move(*text));
    if (!records.next(header)) throw Unreadable{path.string() + " is not a table of the tidy output"};
    return records;
}

struct RunOf {
    long long row = 0;
    std::vector<std::string> parameters;
};

// The largest sample of a run, as samples.csv gives it.
struct LargestSample {
    long long n_units = -1;
    std::string design;
    double sar_z = 0.0, true_sar_z = 0.0, sar_extrapolated = 0.0, true_species = 0.0;
    std::size_t group = 0;
};

// Each run's row and parameters (runs.csv), and the parameters that differ between the runs.
struct RunTable {
    std::unordered_map<long long, RunOf> runs;
    std::vector<std::size_t> varying;
    std::vector<std::string> names;
};

RunTable read_runs(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Unreadable{"cannot open " + path.string() + " (was the run made with --tidy?)"};
    const std::optional<CsvTable> table = read_csv_table(in);
    if (!table) throw Unreadable{path.string() + " is not a table of the tidy output"};
    const auto column = [&](const std::string& name) {
        const auto c = table->column(name);
        if (!c) throw Unreadable{path.string() + " has no column " + name + " (written by an earlier version?)"};
        return *c;
    };
    RunTable t;
    const std::size_t run_col = column("run"), row_col = column("row");
    std::vector<std::size_t> parameter_cols;
    const auto parameters = parameter_table();
    for (const ParameterDescriptor& d : parameters) parameter_cols.push_back(column(std::string(d.column)));
    for (const auto& r : table->rows) {
        RunOf o;
        o.row = std::isfinite(number(r[row_col])) ? whole(r[row_col]) : 0;
        for (const std::size_t c : parameter_cols) o.parameters.push_back(r[c]);
        t.runs[whole(r[run_col])] = std::move(o);
    }
    for (std::size_t k = 0; k < parameter_cols.size(); ++k) {
        if (&parameters[k] == &parameter(&ParameterSet::Method)) continue;  // the design has a column of its own
        const std::string* first = nullptr;
        for (const auto& [run, o] : t.runs) {
            if (first == nullptr) {
                first = &o.parameters[k];
            } else if (o.parameters[k] != *first) {
                t.varying.push_back(k);
                break;
            }
        }
    }
    for (const std::size_t k : t.varying) t.names.emplace_back(parameters[k].column);
    return t;
}

// The largest sample of every run, in run order; of equal sizes the later row.
std::map<long long, LargestSample> read_largest_samples(const std::filesystem::path& path) {
    std::vector<std::string_view> fields;
    CsvRecords records = open_records(path, fields);
    const Header h(fields, path);
    const std::size_t run = h["run"], design = h["design"], units = h["n_units"], z = h["sar_z"],
                      true_z = h["true_sar_z"], sar = h["est_sar_extrapolated"], truth = h["true_species_square"];
    std::map<long long, LargestSample> largest;
    while (records.next(fields)) {
        if (fields.size() != h.size()) throw Unreadable{path.string() + " has a row of another length than its header"};
        LargestSample& kept = largest[whole(fields[run])];
        const long long n = whole(fields[units]);
        if (n < kept.n_units) continue;
        kept.n_units = n;
        kept.design.assign(fields[design]);
        kept.sar_z = number(fields[z]);
        kept.true_sar_z = number(fields[true_z]);
        kept.sar_extrapolated = number(fields[sar]);
        kept.true_species = number(fields[truth]);
    }
    return largest;
}

// The estimators in the order of their first row, and the index of each row's.
class EstimatorIndex {
public:
    std::size_t of(std::string_view quantity, std::string_view basis, std::string_view estimator) {
        // Every sample size lists the estimators in one order: the one after the last is tried first.
        for (std::size_t tries = 0, i = next_; tries < names_.size(); ++tries, i = (i + 1) % names_.size()) {
            const EstimatorName& e = names_[i];
            if (e.estimator == estimator && e.basis == basis && e.quantity == quantity) {
                next_ = (i + 1) % names_.size();
                return i;
            }
        }
        names_.push_back({std::string(quantity), std::string(basis), std::string(estimator)});
        next_ = 0;
        return names_.size() - 1;
    }
    const std::vector<EstimatorName>& names() const { return names_; }

private:
    std::vector<EstimatorName> names_;
    std::size_t next_ = 0;
};

}  // namespace

int summarise_bias(const std::string& dir, std::string_view quantity, std::ostream& out, std::ostream& messages,
                   StepListener* progress) {
    const std::filesystem::path folder(dir);
    try {
        const std::filesystem::path runs_path = folder / "runs.csv", samples_path = folder / "samples.csv",
                                    estimates_path = folder / "estimates.csv";
        // Each table is read once; their bytes measure the work.
        const auto bytes = [](const std::filesystem::path& p) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(p, ec);
            return ec ? 0.0 : static_cast<double>(size);
        };
        const auto step = [&](long long k, const std::filesystem::path& p, bool finished) {
            if (progress == nullptr) return;
            if (finished)
                progress->step_finished(k, bytes(p));
            else
                progress->step_started(k, p.filename().string());
        };
        if (progress != nullptr) progress->plan(3, bytes(runs_path) + bytes(samples_path) + bytes(estimates_path));
        step(1, runs_path, false);
        const RunTable runs = read_runs(runs_path);
        step(1, runs_path, true);
        step(2, samples_path, false);
        std::map<long long, LargestSample> largest = read_largest_samples(samples_path);
        step(2, samples_path, true);

        // Groups by parameter row and design, in the order of their first run.
        std::vector<BiasGroup> groups;
        std::map<std::pair<long long, std::string>, std::size_t> group_of;
        for (auto& [run, sample] : largest) {
            const auto found = runs.runs.find(run);
            if (found == runs.runs.end()) throw Unreadable{"run " + std::to_string(run) + " of samples.csv is not in runs.csv"};
            const RunOf& o = found->second;
            const auto [at, fresh] = group_of.try_emplace({o.row, sample.design}, groups.size());
            if (fresh) {
                BiasGroup g;
                g.row = o.row;
                g.design = sample.design;
                for (const std::size_t k : runs.varying) g.parameters.push_back(o.parameters[k]);
                groups.push_back(std::move(g));
            }
            sample.group = at->second;
            BiasGroup& g = groups[sample.group];
            ++g.replicates;
            g.n_units = std::max(g.n_units, sample.n_units);
        }
        if (groups.empty()) throw Unreadable{folder.string() + " holds no sample of a sampling run"};

        // The estimates of the largest sample of every run, by group and estimator.
        step(3, estimates_path, false);
        std::vector<std::string_view> fields;
        CsvRecords records = open_records(estimates_path, fields);
        const Header h(fields, estimates_path);
        const std::size_t c_run = h["run"], c_units = h["n_units"], c_quantity = h["quantity"], c_basis = h["basis"],
                          c_estimator = h["estimator"], c_estimate = h["estimate"], c_lower = h["lower95"],
                          c_upper = h["upper95"], c_truth = h["truth"];
        EstimatorIndex index;
        std::vector<std::vector<std::vector<ReplicateEstimate>>> cells(groups.size());
        const LargestSample* sample = nullptr;
        long long sample_run = 0;
        while (records.next(fields)) {
            if (fields.size() != h.size())
                throw Unreadable{estimates_path.string() + " has a row of another length than its header"};
            const long long run = whole(fields[c_run]);
            if (sample == nullptr || run != sample_run) {  // the rows of a run follow each other
                const auto found = largest.find(run);
                if (found == largest.end())
                    throw Unreadable{"run " + std::to_string(run) + " of estimates.csv is not in samples.csv"};
                sample = &found->second;
                sample_run = run;
            }
            if (whole(fields[c_units]) != sample->n_units) continue;
            const std::size_t e = index.of(fields[c_quantity], fields[c_basis], fields[c_estimator]);
            auto& of_group = cells[sample->group];
            if (of_group.size() <= e) of_group.resize(e + 1);
            of_group[e].push_back({number(fields[c_truth]), number(fields[c_estimate]), number(fields[c_lower]),
                                   number(fields[c_upper])});
        }
        step(3, estimates_path, true);
        if (progress != nullptr) progress->finished();

        // The species-area extrapolation of the richness and the slope, from samples.csv.
        std::vector<EstimatorName> names = index.names();
        const std::size_t sar = names.size(), slope = sar + 1;
        names.push_back({"richness", "area", "sar_extrapolated"});
        names.push_back({"sar_z", "area", "power_fit"});
        for (auto& of_group : cells) of_group.resize(names.size());
        for (const auto& [run, s] : largest) {
            cells[s.group][sar].push_back({s.true_species, s.sar_extrapolated, std::nan(""), std::nan("")});
            cells[s.group][slope].push_back({s.true_sar_z, s.sar_z, std::nan(""), std::nan("")});
        }
        for (std::size_t g = 0; g < groups.size(); ++g)
            for (const auto& cell : cells[g]) groups[g].scores.push_back(score_estimator(cell));

        write_bias_table(out, runs.names, names, groups, quantity);
        out.flush();
        std::istringstream no_console;
        std::ostringstream quiet;
        Io io{no_console, quiet, folder, real_file_system()};
        ReportFile csv("bias.csv");
        csv.open(io);
        write_bias_csv(csv, runs.names, names, groups);
        csv.close();
        return 0;
    } catch (const Unreadable& u) {
        messages << " Cannot summarise the bias: " << u.why << "\n";
        return 1;
    }
}

}  // namespace lorvenna
