// Every tidy column that repeats a value of a fixed-width report holds that
// value: the table's number, written into the report's field (its width and
// decimals, through single precision where the report works in single
// precision), is the text the report shows there.  One table names the
// mirrors and one loop checks them over the golden sessions, so a value
// written under its neighbour's name, a logarithm of the wrong base or a
// diversity index with the wrong divisor in a table shows up against the
// report it must agree with.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lorvenna::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Row = std::vector<std::string>;

Lines read_lines(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

Row words(const std::string& line) {
    Row w;
    for (std::size_t at = 0; (at = line.find_first_not_of(' ', at)) != std::string::npos;) {
        const auto end = line.find(' ', at);
        w.push_back(line.substr(at, end - at));
        at = end;
    }
    return w;
}

// A tidy table as RFC 4180 writes it (quoted fields with doubled quotes).
struct Table {
    Row columns;
    std::vector<Row> rows;
    const std::string& get(const Row& row, const std::string& name) const {
        for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i)
            if (columns[i] == name) return row[i];
        ADD_FAILURE() << "no column " << name;
        static const std::string none;
        return none;
    }
};

Table read_table(const fs::path& p) {
    Table t;
    for (const std::string& line : read_lines(p)) {
        Row f(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (quoted && line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') f.back() += line[++i];
            else if (line[i] == '"') quoted = !quoted;
            else if (line[i] == ',' && !quoted) f.emplace_back();
            else f.back() += line[i];
        }
        if (t.columns.empty()) t.columns = f;
        else t.rows.push_back(f);
        EXPECT_EQ(f.size(), t.columns.size()) << p << " row " << t.rows.size();
    }
    return t;
}

enum class Report { distribution, sample, analysis, cells };
const char* const report_files[] = {"Distribution.txt", "Sample.txt", "Analysis.txt", "Cells.txt"};

// The passes of a report: Distribution.txt, Sample.txt and Analysis.txt open
// each pass with its settings block, Cells.txt with the line naming how the
// units lie.  The file's head and the empty line before a pass belong to none.
std::vector<Lines> passes_of(const Lines& report, Report r) {
    std::vector<Lines> passes;
    for (const std::string& line : report) {
        if (r == Report::cells ? line.rfind(" Coordinates of Cells", 0) == 0 || line.rfind(" Area ", 0) == 0
                               : line.rfind("Areal ", 0) == 0)
            passes.emplace_back();
        if (!passes.empty()) passes.back().push_back(line);
    }
    for (Lines& p : passes)
        while (!p.empty() && p.back().empty()) p.pop_back();
    return passes;
}

enum class Section {
    settings,        // Distribution.txt: the run settings block, labels over values
    community,       // Distribution.txt: the whole-community statistics row
    placement,       // Distribution.txt, mode s: SpeNo, Weight, OrigInd, AssInd of every species
    model_species,   // Distribution.txt, mode m: SpeNo, Weight, Ind of every species
    species_sample,  // Sample.txt: every species in the largest sample
    statistics,      // Sample.txt: one statistics row per sample size
    size_rows,       // Analysis.txt: rows 1 to 8 of every sample size
    scaling,         // Analysis.txt: rows 9 to 12, the scaling of the habitat diagonals
    unit_areas,      // Cells.txt: the area row of nested and independent units and octaves
    unit_corners,    // Cells.txt: the x and the y row of dep and lin blocks
    unit_niches,     // Cells.txt: the niches row
};

Report report_of(Section s) {
    if (s <= Section::model_species) return Report::distribution;
    if (s <= Section::statistics) return Report::sample;
    return s <= Section::scaling ? Report::analysis : Report::cells;
}

// The records of a section in one pass, each a list of lines: a table's rows
// one by one below their header, a sample size's eight rows, or the lines
// that follow a title.
std::vector<Lines> records_of(const Lines& pass, Section s) {
    std::vector<Lines> records;
    const auto settings_end = pass.begin() + std::min<long>(4, std::ssize(pass));
    if (s == Section::settings) return {Lines(pass.begin(), settings_end)};
    if (s == Section::size_rows || s == Section::scaling) {
        if (pass.size() < 8) return records;
        if (s == Section::scaling) return {Lines(pass.end() - 4, pass.end())};
        for (auto at = settings_end; pass.end() - 4 - at >= 8; at += 8) records.emplace_back(at, at + 8);
        return records;
    }
    const std::map<Section, std::pair<const char*, long>> titles = {
        {Section::community, {"Ind. of Ass.", 0}},   {Section::placement, {"AssInd", 0}},
        {Section::model_species, {"            Ind Density boundary", 0}},
        {Section::species_sample, {"log2Dens", 0}},  {Section::statistics, {"Ind. Sample", 0}},
        {Section::unit_areas, {" Area ", 1}},       {Section::unit_corners, {" Coordinates of Cells", 2}},
        {Section::unit_niches, {" Maximum number of niches per sample unit", 1}}};
    const auto [title, lines] = titles.at(s);  // lines 0: a record per row down to the next title or an empty line
    auto at = pass.begin();
    while (at != pass.end() && at->find(title) == std::string::npos) ++at;
    if (at == pass.end()) return records;
    if (lines > 0 && pass.end() - at > lines) return {Lines(at + 1, at + 1 + lines)};
    while (lines == 0 && ++at != pass.end() && at->rfind(" ", 0) == 0) records.push_back({*at});
    return records;
}

// The value under `label` in a settings block: a value stands below its label,
// between the label's first column and the next label's.
std::optional<std::string> setting(const Lines& block, const std::string& label) {
    for (std::size_t l = 0; l + 1 < block.size(); l += 2) {
        const std::string padded = " " + block[l] + " ";
        const std::size_t at = padded.find(" " + label + " ");
        if (at == std::string::npos) continue;
        const std::size_t next = padded.find_first_not_of(' ', at + label.size() + 1);
        const std::string& values = block[l + 1];
        return at >= values.size() ? "" : trimmed(values.substr(at, next == std::string::npos ? next : next - 1 - at));
    }
    return std::nullopt;
}

// How a report writes a value: a whole number, a real truncated to a whole
// number, a real with `decimals` in `width` columns (single: rounded to single
// precision first, as the report holds it), or a keyword.
enum class Kind { whole, truncated, real, single, text };
struct Format {
    Kind kind;
    int width = 0, decimals = 0;
};
constexpr Format whole{Kind::whole}, truncated{Kind::truncated}, text{Kind::text};
constexpr Format real(int width, int decimals) { return {Kind::real, width, decimals}; }
constexpr Format single(int width, int decimals) { return {Kind::single, width, decimals}; }

// The table's value as the report's field shows it, without the blanks that
// align it: a real that does not fit its width gives up decimals, and one
// that rounds to zero shows no minus sign.
std::string shown(const std::string& value, Format f) {
    if (f.kind == Kind::text) return value;
    const char* const end = value.data() + value.size();
    if (f.kind == Kind::whole) {
        long long n = 0;
        const auto [stop, error] = std::from_chars(value.data(), end, n);
        return error == std::errc() && stop == end ? std::to_string(n) : "not a whole number: " + value;
    }
    char* stop = nullptr;
    double v = std::strtod(value.c_str(), &stop);
    if (value.empty() || stop != end || !std::isfinite(v)) return "not a number: " + value;
    if (f.kind == Kind::truncated) return std::to_string(static_cast<long long>(std::trunc(static_cast<float>(v))));
    if (f.kind == Kind::single) v = static_cast<double>(static_cast<float>(v));
    std::string s;
    for (int d = f.decimals; d >= 0 && (s.empty() || std::ssize(s) > f.width); --d) {
        char buf[512];
        std::snprintf(buf, sizeof buf, "%.*f", d, v);
        s = buf;
        if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    }
    return s;
}

// What decides whether a mirror holds for a row: the row and its pass's row of runs.csv.
struct Seen {
    const Table& table;
    const Row& row;
    const Table& runs;
    const Row& run;
    const std::string& operator()(const std::string& column) const { return table.get(row, column); }
    const std::string& of_run(const std::string& column) const { return runs.get(run, column); }
};

// Sample.txt's Diversity is the index the pass chose (its Evenness for Evar);
// below two species it is 0, where the inverse Simpson index is 1.
bool shannon_chosen(const Seen& s) { return s.of_run("DivInd") == "sha"; }
bool simpson_chosen(const Seen& s) { return s.of_run("DivInd") == "simp" && std::stoi(s("species")) >= 2; }
bool evar_chosen(const Seen& s) { return s.of_run("DivInd") == "evar"; }
// A model-only pass shows relative abundances when maxD is not positive.
bool relative(const Seen& s) { return !(std::stod(s.of_run("maxD")) > 0.0); }
// Nothing placed: the whole community of Distribution.txt is the expected one.
bool model_only(const Seen& s) { return s("individuals_placed") == "NA"; }
// Cells.txt's area row holds the cells of nested and independent units; for octaves the nominal area.
bool unit_cells_shown(const Seen& s) { return s.of_run("Method") == "seq" || s.of_run("Method") == "ind"; }
// Cells.txt accumulates the niches of dep and lin blocks, the table gives each block its own.
bool own_niches_shown(const Seen& s) { return s.of_run("Method") != "dep" && s.of_run("Method") != "lin"; }

// A column of a tidy table and the report field that shows the same value: its
// section; the row within a record of several lines (from 1); the
// whitespace-separated field (from 1, or `unit`: the field of the row's unit);
// its format; whether NA stands where the report writes a guarded 0 (else NA
// rows are not compared); when the mirror holds; the label of a setting.
constexpr int unit = -1;
struct Mirror {
    const char* table;
    const char* column;
    Section section;
    int row, field;
    Format format;
    bool na_is_zero = false;
    bool (*holds)(const Seen&) = nullptr;
    const char* label = nullptr;
};

constexpr Mirror setting_of(const char* column, const char* label, Format f) {
    return {"runs.csv", column, Section::settings, 0, 0, f, false, nullptr, label};
}

// clang-format off
const Mirror mirrors[] = {
    // runs.csv: the parameters under their labels in the run settings block.
    setting_of("Areal", "Areal", whole), setting_of("SampA", "SampA", whole), setting_of("maxSa", "maxSa", whole),
    setting_of("minSa", "minSa", whole), setting_of("StepSa", "StepSa", whole),
    setting_of("Sampfac", "Sampfac", whole), setting_of("Method", "Method", text),
    setting_of("Species", "Species", whole), setting_of("maxD", "maxD", single(9, 3)),
    setting_of("minD", "minD", real(9, 6)), setting_of("Dfluc", "Dfluc", single(7, 3)),
    setting_of("Flucmy", "Flucmy", single(7, 3)), setting_of("FlucStD", "Flucvar", single(7, 3)),
    setting_of("DWD", "DWD", text), setting_of("SWD", "SWD", text), setting_of("Class", "Class", whole),
    setting_of("SWDmy", "SWDmy", single(7, 3)), setting_of("SWDStD", "SWDvar", single(7, 3)),
    setting_of("DWDmy", "DWDmy", single(7, 3)), setting_of("DWDStD", "DWDvar", single(7, 3)),
    setting_of("Aggreg", "Aggr", single(7, 3)), setting_of("AreaHet", "AreaHet", single(7, 3)),
    setting_of("NicheN", "NicheNo", single(7, 3)), setting_of("RndHet", "RndHet", text),
    setting_of("FracM", "Fractal", text), setting_of("Scale1", "Scale1", single(7, 3)),
    setting_of("Scale2", "Scale2", single(7, 3)), setting_of("Range", "Range", single(7, 3)),
    setting_of("Gradient", "HabGrad", single(7, 3)), setting_of("DivInd", "DivInd", text),
    setting_of("Permut", "Permut", whole), setting_of("GridHet", "GridHet", text),
    // runs.csv: the individuals of the whole community, and Analysis.txt's twelfth row.
    {"runs.csv", "individuals_placed",   Section::community, 1, 2, real(15, 1)},
    {"runs.csv", "individuals_expected", Section::community, 1, 2, real(15, 1), false, model_only},
    {"runs.csv", "scaling_classes",      Section::scaling, 4, 1, whole},
    {"runs.csv", "scaling_points",       Section::scaling, 4, 2, whole},
    {"runs.csv", "variance_intercept",   Section::scaling, 4, 3, real(18, 6), true},
    {"runs.csv", "variance_slope",       Section::scaling, 4, 4, real(8, 3), true},
    {"runs.csv", "variance_dimension",   Section::scaling, 4, 5, real(8, 3), true},
    {"runs.csv", "length_intercept",     Section::scaling, 4, 6, real(18, 6), true},
    {"runs.csv", "length_slope",         Section::scaling, 4, 7, real(8, 3), true},
    {"runs.csv", "length_dimension",     Section::scaling, 4, 8, real(8, 3), true},
    // species.csv: the species tables of Distribution.txt and Sample.txt, row for row.
    {"species.csv", "species",           Section::placement, 1, 1, whole},
    {"species.csv", "weight",            Section::placement, 1, 2, single(15, 2)},
    {"species.csv", "expected",          Section::placement, 1, 3, truncated},
    {"species.csv", "placed",            Section::placement, 1, 4, truncated},
    {"species.csv", "species",           Section::model_species, 1, 1, whole},
    {"species.csv", "weight",            Section::model_species, 1, 2, single(15, 2)},
    {"species.csv", "expected",          Section::model_species, 1, 3, single(15, 12), false, relative},
    {"species.csv", "species",           Section::species_sample, 1, 1, whole},
    {"species.csv", "weight",            Section::species_sample, 1, 2, single(15, 2)},
    {"species.csv", "in_sample",         Section::species_sample, 1, 3, single(15, 0)},
    {"species.csv", "density_boundary",  Section::species_sample, 1, 8, real(18, 10)},
    // samples.csv: Sample.txt's statistics row and Analysis.txt's rows 7 and 8 of each sample size.
    {"samples.csv", "design",            Section::settings, 0, 0, text, false, nullptr, "Method"},
    {"samples.csv", "species",           Section::statistics, 1, 1, whole},
    {"samples.csv", "individuals",       Section::statistics, 1, 2, real(11, 0)},
    {"samples.csv", "shannon",           Section::statistics, 1, 7, single(11, 4), true, shannon_chosen},
    {"samples.csv", "inverse_simpson",   Section::statistics, 1, 7, single(11, 4), true, simpson_chosen},
    {"samples.csv", "evar",              Section::statistics, 1, 8, single(11, 4), true, evar_chosen},
    {"samples.csv", "fisher_alpha",      Section::statistics, 1, 9, single(11, 4), true},
    {"samples.csv", "area",              Section::statistics, 1, 10, whole},
    {"samples.csv", "true_species_grid", Section::size_rows, 7, 1, whole},
    {"samples.csv", "species",           Section::size_rows, 7, 3, whole},
    {"samples.csv", "bootstrap_summand", Section::size_rows, 7, 5, real(6, 1)},
    {"samples.csv", "n_units",           Section::size_rows, 7, 6, whole},
    {"samples.csv", "singletons",        Section::size_rows, 7, 7, whole},
    {"samples.csv", "doubletons",        Section::size_rows, 7, 8, whole},
    {"samples.csv", "sar_c",             Section::size_rows, 8, 1, real(10, 5), true},
    {"samples.csv", "sar_z",             Section::size_rows, 8, 2, real(10, 5), true},
    {"samples.csv", "sar_r2",            Section::size_rows, 8, 3, real(10, 5), true},
    {"samples.csv", "semilog_a",         Section::size_rows, 8, 4, real(10, 5), true},
    {"samples.csv", "semilog_b",         Section::size_rows, 8, 5, real(10, 5), true},
    {"samples.csv", "semilog_r2",        Section::size_rows, 8, 6, real(10, 5), true},
    {"samples.csv", "ear_c",             Section::size_rows, 8, 7, real(10, 5), true},
    {"samples.csv", "ear_z",             Section::size_rows, 8, 8, real(10, 5), true},
    {"samples.csv", "ear_r2",            Section::size_rows, 8, 9, real(10, 5), true},
    // curve.csv: each unit's point in Analysis.txt's rows 1, 2, 4, 5 and 6 of its sample size.
    {"curve.csv", "area",                Section::size_rows, 1, unit, whole},
    {"curve.csv", "niches",              Section::size_rows, 2, unit, whole},
    {"curve.csv", "new_species",         Section::size_rows, 4, unit, real(6, 1)},
    {"curve.csv", "endemics",            Section::size_rows, 5, unit, whole},
    {"curve.csv", "cumulative_species",  Section::size_rows, 6, unit, real(6, 1)},
    // units.csv: each unit's field in Cells.txt.
    {"units.csv", "x",                   Section::unit_corners, 1, unit, whole},
    {"units.csv", "y",                   Section::unit_corners, 2, unit, whole},
    {"units.csv", "cells",               Section::unit_areas, 1, unit, whole, false, unit_cells_shown},
    {"units.csv", "niches",              Section::unit_niches, 1, unit, whole, false, own_niches_shown},
};
// clang-format on

// The column whose values step from one record of a pass to the next: a
// pass's species and sample sizes are records one by one and a curve's points
// share the record of their sample size; a run and its units share the one
// record of the pass.
const std::map<std::string, std::string> record_key = {
    {"species.csv", "species"}, {"samples.csv", "n_units"}, {"curve.csv", "n_units"}};

// Every golden session that wrote tidy tables (mode b writes none).
std::vector<std::string> sessions_with_tables() {
    std::vector<std::string> sessions;
    for (const auto& entry : fs::directory_iterator(fs::path(LORVENNA_SOURCE_DIR) / "tests" / "golden"))
        if (fs::exists(entry.path() / "out" / "runs.csv")) sessions.push_back(entry.path().filename().string());
    std::sort(sessions.begin(), sessions.end());
    return sessions;
}

TEST(TidyMirror, EveryTidyColumnThatRepeatsAReportValueShowsItInTheReportsLayout) {
    std::vector<int> compared(std::size(mirrors), 0);
    const std::vector<std::string> sessions = sessions_with_tables();
    EXPECT_GE(sessions.size(), 7u);
    for (const std::string& session : sessions) {
        const fs::path out = fs::path(LORVENNA_SOURCE_DIR) / "tests" / "golden" / session / "out";
        std::map<std::string, Table> tables;
        for (const char* name : {"runs.csv", "species.csv", "samples.csv", "curve.csv", "units.csv"})
            tables[name] = read_table(out / name);
        const Table& runs = tables["runs.csv"];
        const Table& units = tables["units.csv"];
        ASSERT_FALSE(runs.rows.empty()) << session;

        // The passes of each report by run: every pass writes a settings block,
        // Cells.txt holds the passes that wrote units, in their order.
        std::map<Report, std::map<std::string, Lines>> passes;
        for (const Report r : {Report::distribution, Report::sample, Report::analysis, Report::cells}) {
            const fs::path file = out / report_files[static_cast<int>(r)];
            if (!fs::exists(file)) continue;
            const std::vector<Lines> found = passes_of(read_lines(file), r);
            Row order;
            for (const Row& row : r == Report::cells ? units.rows : runs.rows)
                if (const std::string& run = (r == Report::cells ? units : runs).get(row, "run");
                    order.empty() || order.back() != run)
                    order.push_back(run);
            EXPECT_EQ(found.size(), order.size()) << session << ": passes in " << report_files[static_cast<int>(r)];
            for (std::size_t k = 0; k < found.size() && k < order.size(); ++k) passes[r][order[k]] = found[k];
        }

        for (std::size_t m = 0; m < std::size(mirrors); ++m) {
            const Mirror& mirror = mirrors[m];
            const Table& table = tables[mirror.table];
            const std::string report = report_files[static_cast<int>(report_of(mirror.section))];
            const auto key = record_key.find(mirror.table);
            for (const Row& run : runs.rows) {
                const std::string& run_no = runs.get(run, "run");
                const auto pass = passes[report_of(mirror.section)].find(run_no);
                if (pass == passes[report_of(mirror.section)].end()) continue;
                // A pass without the section (mode m has no placement table) shows nothing to compare.
                const std::vector<Lines> records = records_of(pass->second, mirror.section);
                if (records.empty()) continue;
                Row keys;
                bool any = false;
                for (const Row& row : table.rows) {
                    if (table.get(row, "run") != run_no) continue;
                    const std::string key_value = key == record_key.end() ? "" : table.get(row, key->second);
                    if (keys.empty() || keys.back() != key_value) keys.push_back(key_value);
                    if (mirror.holds != nullptr && !mirror.holds(Seen{table, row, runs, run})) continue;
                    const std::string& value = table.get(row, mirror.column);
                    if (value == "NA" && !mirror.na_is_zero) continue;

                    const std::string where = session + " " + mirror.table + " " + mirror.column + ", run " +
                                              run_no + (key_value.empty() ? "" : ", " + key->second + " " + key_value) +
                                              (mirror.field == unit ? ", unit " + table.get(row, "unit") : "") +
                                              ", against " + report;
                    const Lines& record = records[std::min(keys.size(), records.size()) - 1];
                    std::optional<std::string> field;
                    if (mirror.label != nullptr) {
                        field = setting(record, mirror.label);
                    } else if (keys.size() <= records.size() && mirror.row <= std::ssize(record)) {
                        const Row fields = words(record[static_cast<std::size_t>(mirror.row - 1)]);
                        const int f = mirror.field == unit ? std::stoi(table.get(row, "unit")) : mirror.field;
                        if (f >= 1 && f <= std::ssize(fields)) field = fields[static_cast<std::size_t>(f - 1)];
                    }
                    if (!field) {
                        ADD_FAILURE() << where << ": the report has no such field";
                        continue;
                    }
                    const std::string as_the_report_would_show = shown(value == "NA" ? "0" : value, mirror.format);
                    const std::string& report_shows = *field;
                    EXPECT_EQ(as_the_report_would_show, report_shows) << where << " (table: " << value << ")";
                    ++compared[m];
                    any = true;
                }
                // As many rows in the table as records in the report: none lost on either side.
                if (any && key != record_key.end() && mirror.label == nullptr) {
                    EXPECT_EQ(keys.size(), records.size()) << session << " " << mirror.table << ", run " << run_no
                                                           << ": rows against records of " << report;
                }
            }
        }
    }
    // Every mirror met its report somewhere: none is a check that cannot fail.
    for (std::size_t m = 0; m < std::size(mirrors); ++m)
        EXPECT_GT(compared[m], 0) << mirrors[m].table << " " << mirrors[m].column << " against "
                                  << report_files[static_cast<int>(report_of(mirrors[m].section))] << " never compared";
}

}  // namespace
}  // namespace lorvenna::testing
