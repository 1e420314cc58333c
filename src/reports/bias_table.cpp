#include "reports/bias_table.hpp"

#include <array>

#include "numerics/fixed_field.hpp"
#include "reports/csv_row.hpp"

namespace lorvenna {
namespace {

constexpr std::array<std::string_view, 5> quantities = {"richness", "hill1", "hill2", "coverage", "all"};

// "-0.123 (0.045)" in 16 columns; "NA" where undefined.
std::string mean_and_spread(const MeanSpread& m) {
    if (!std::isfinite(m.mean)) return text_field("", 12) + "NA  ";
    std::string s = real_field(m.mean, 7, 3);
    s += std::isfinite(m.sd) ? " (" + real_field(m.sd, 5, 3) + ")" : std::string(8, ' ');
    return blanks(16 - static_cast<int>(s.size())) + s;
}

// A number in `width` columns with three decimals, "NA" where undefined.
std::string number_field(double value, int width) {
    return std::isfinite(value) ? real_field(value, width, 3) : blanks(width - 2) + "NA";
}

std::string right(std::string_view text, int width) {
    return blanks(width - static_cast<int>(text.size())) + std::string(text);
}

bool shown(const EstimatorName& e, std::string_view quantity) {
    if (quantity == "all") return true;
    return e.quantity == quantity || (quantity == "richness" && e.quantity == "sar_z");
}

}  // namespace

bool is_bias_quantity(std::string_view quantity) {
    for (const std::string_view q : quantities)
        if (q == quantity) return true;
    return false;
}

void write_bias_table(std::ostream& out, const std::vector<std::string>& parameter_names,
                      const std::vector<EstimatorName>& estimators, const std::vector<BiasGroup>& groups,
                      std::string_view quantity) {
    std::string head = text_field("row", 5) + " " + text_field("design", 6) + " " + text_field("reps", 5) + " " +
                       text_field("units", 6);
    for (const std::string& name : parameter_names) head += " " + text_field(name, 8);
    head += " " + text_field("quantity", 8) + " " + text_field("basis", 9) + " " + text_field("estimator", 16);
    head += " " + right("truth", 9) + " " + right("estimate", 9) + " " + right("error (sd)", 16) + " " +
            right("rel. bias (sd)", 16) + " " + right("rmse", 7) + " " + right("mae", 7) + " " + right("cover", 6) +
            " " + right("width", 7);
    out << head << "\n";
    for (const BiasGroup& g : groups) {
        std::string lead = int_field(g.row, 5) + " " + text_field(g.design, 6) + " " + int_field(g.replicates, 5) +
                           " " + int_field(g.n_units, 6);
        for (const std::string& value : g.parameters) lead += " " + text_field(value, 8);
        for (std::size_t e = 0; e < estimators.size() && e < g.scores.size(); ++e) {
            const EstimatorName& name = estimators[e];
            if (!shown(name, quantity)) continue;
            const EstimatorScores& s = g.scores[e];
            out << lead << " " << text_field(name.quantity, 8) << " " << text_field(name.basis, 9) << " "
                << text_field(name.estimator, 16) << " " << number_field(s.truth.mean, 9) << " "
                << number_field(s.estimate.mean, 9) << " " << mean_and_spread(s.error) << " "
                << mean_and_spread(s.relative_bias) << " " << number_field(s.rmse_relative, 7) << " "
                << number_field(s.mae_relative, 7) << " " << number_field(s.ci_coverage, 6) << " "
                << number_field(s.relative_ci_width, 7) << "\n";
        }
    }
}

void write_bias_csv(ReportFile& file, const std::vector<std::string>& parameter_names,
                    const std::vector<EstimatorName>& estimators, const std::vector<BiasGroup>& groups) {
    std::vector<std::string> columns = {"row", "design", "quantity", "basis", "estimator", "replicates", "n_units"};
    columns.insert(columns.end(), parameter_names.begin(), parameter_names.end());
    for (const char* c : {"mean_truth", "mean_estimate", "mean_relative_bias", "sd_relative_bias", "rmse_relative",
                          "mae_relative", "ci_coverage", "mean_relative_ci_width", "mean_error", "sd_error"})
        columns.emplace_back(c);
    std::vector<std::string_view> views(columns.begin(), columns.end());
    file.line(csv_header(views));
    CsvRow row;
    for (const BiasGroup& g : groups)
        for (std::size_t e = 0; e < estimators.size() && e < g.scores.size(); ++e) {
            const EstimatorName& name = estimators[e];
            const EstimatorScores& s = g.scores[e];
            row.clear().whole(g.row).text(g.design).text(name.quantity).text(name.basis).text(name.estimator);
            row.whole(g.replicates).whole(g.n_units);
            for (const std::string& value : g.parameters) row.text(value);
            row.real(s.truth.mean).real(s.estimate.mean).real(s.relative_bias.mean).real(s.relative_bias.sd);
            row.real(s.rmse_relative).real(s.mae_relative).real(s.ci_coverage).real(s.relative_ci_width);
            row.real(s.error.mean).real(s.error.sd);
            file.line(row.str());
        }
}

}  // namespace lorvenna
