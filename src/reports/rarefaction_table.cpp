#include "reports/rarefaction_table.hpp"

#include "reports/csv_row.hpp"

namespace lorvenna {
namespace {

std::string_view method_name(CurvePart part) {
    switch (part) {
        case CurvePart::interpolated: return "interpolated";
        case CurvePart::observed: return "observed";
        case CurvePart::extrapolated: return "extrapolated";
    }
    return "";
}

}  // namespace

std::vector<std::string_view> rarefaction_columns(std::string_view key, bool with_truth) {
    std::vector<std::string_view> c = {key,        "q",       "m",                "method",          "estimate",
                                       "lower95",  "upper95", "coverage",         "coverage_lower95",
                                       "coverage_upper95"};
    if (with_truth) c.insert(c.end(), {"true_value", "true_coverage"});
    return c;
}

void open_rarefaction_table(ReportFile& file, Io& io) {
    file.open(io);
    file.line(csv_header(rarefaction_columns("run", true)));
}

void write_rarefaction_rows(ReportFile& file, std::string_view key, const std::vector<CurvePoint>& curve,
                            const std::vector<TrueCurvePoint>* truth) {
    if (!file.is_open()) return;
    CsvRow row;
    std::string block;
    for (int q = 0; q < 3; ++q)
        for (std::size_t i = 0; i < curve.size(); ++i) {
            const CurvePoint& p = curve[i];
            row.clear();
            row.text(key).whole(q).whole(p.size).text(method_name(p.part));
            row.real(p.diversity[q]).real(p.lower95[q]).real(p.upper95[q]);
            row.real(p.coverage).real(p.coverage_lower95).real(p.coverage_upper95);
            if (truth != nullptr) {
                const bool known = i < truth->size() && (*truth)[i].size == p.size;
                row.real_or_na(known, known ? (*truth)[i].diversity[q] : 0.0);
                row.real_or_na(known, known ? (*truth)[i].coverage : 0.0);
            }
            block += row.str();
            block += '\n';
        }
    file.write(block);
}

}  // namespace lorvenna
