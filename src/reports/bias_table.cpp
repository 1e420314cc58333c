#include "reports/bias_table.hpp"

#include "numerics/fixed_field.hpp"
#include "reports/csv_row.hpp"

namespace lorvenna {
namespace {

// "-0.123 (0.045)" in 16 columns; "NA" where undefined.
std::string mean_and_spread(const MeanSpread& m) {
    if (!std::isfinite(m.mean)) return text_field("", 12) + "NA  ";
    std::string s = real_field(m.mean, 7, 3);
    s += std::isfinite(m.sd) ? " (" + real_field(m.sd, 5, 3) + ")" : std::string(8, ' ');
    return blanks(16 - static_cast<int>(s.size())) + s;
}

}  // namespace

void write_bias_table(std::ostream& out, const std::vector<std::string>& parameter_names,
                      const std::vector<BiasGroup>& groups) {
    std::string head = text_field("row", 5) + " " + text_field("design", 6) + " " + text_field("reps", 5) + " " +
                       text_field("units", 6);
    for (const std::string& name : parameter_names) head += " " + text_field(name, 8);
    for (const char* e : estimator_names) head += " " + blanks(16 - static_cast<int>(std::string(e).size())) + e;
    head += " " + blanks(16 - 7) + "z error";
    out << head << "\n";
    for (const BiasGroup& g : groups) {
        std::string line = int_field(g.row, 5) + " " + text_field(g.design, 6) + " " + int_field(g.replicates, 5) +
                           " " + int_field(g.n_units, 6);
        for (const std::string& value : g.parameters) line += " " + text_field(value, 8);
        for (const MeanSpread& b : g.bias) line += " " + mean_and_spread(b);
        line += " " + mean_and_spread(g.z_error);
        out << line << "\n";
    }
}

void write_bias_csv(ReportFile& file, const std::vector<std::string>& parameter_names,
                    const std::vector<BiasGroup>& groups) {
    std::vector<std::string> columns = {"row", "design", "replicates", "n_units"};
    columns.insert(columns.end(), parameter_names.begin(), parameter_names.end());
    for (const char* e : estimator_names) {
        columns.push_back(std::string("mean_bias_") + e);
        columns.push_back(std::string("sd_bias_") + e);
    }
    columns.push_back("mean_z_error");
    columns.push_back("sd_z_error");
    std::vector<std::string_view> views(columns.begin(), columns.end());
    file.line(csv_header(views));
    for (const BiasGroup& g : groups) {
        CsvRow row;
        row.whole(g.row).text(g.design).whole(g.replicates).whole(g.n_units);
        for (const std::string& value : g.parameters) row.text(value);
        for (const MeanSpread& b : g.bias) row.real(b.mean).real(b.sd);
        row.real(g.z_error.mean).real(g.z_error.sd);
        file.line(row.str());
    }
}

}  // namespace lorvenna
