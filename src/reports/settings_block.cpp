#include "reports/settings_block.hpp"

#include <string>
#include <vector>

#include "numerics/fixed_field.hpp"
#include "reports/sample_report.hpp"

namespace lorvenna {
namespace {

std::string labels(const std::vector<std::string>& texts, const std::vector<std::pair<int, int>>& layout) {
    std::string line;
    for (std::size_t i = 0; i < texts.size(); ++i) line += text_field(texts[i], layout[i].first) + blanks(layout[i].second);
    return line;
}

std::string line1() {
    std::vector<std::pair<int, int>> layout(8, {7, 1});
    layout.push_back({9, 2});
    layout.push_back({9, 1});
    layout.insert(layout.end(), 7, {7, 1});
    return labels({"Areal", "SampA", "maxSa", "minSa", "StepSa", "Sampfac", "Method", "Species", "maxD", "minD",
                   "Dfluc", "Flucmy", "Flucvar", "DivInd", "Permut", "Fractal", "GridHet"},
                  layout);
}

// Each value stands right-aligned under its label (texts left-aligned like their labels).
std::string line2(const WorkArea& wa) {
    const ParameterSet& p = wa.params;
    const DerivedValues& d = wa.derived;
    const double cells = static_cast<double>(d.grid_side) * static_cast<double>(d.grid_side);
    const double min_density = cells > 0.0 ? d.min_abundance / cells : 0.0;
    return int_field(d.grid_side, 7) + " " + int_field(p.SampA, 7) + " " + int_field(d.max_sample, 7) + " " +
           int_field(d.min_sample, 7) + " " + int_field(p.StepSa, 7) + " " + int_field(p.Sampfac, 7) + " " +
           text_field(p.Method.text(), 7) + " " + int_field(d.species, 7) + " " + real_field(p.maxD, 9, 3) + blanks(2) +
           real_field(min_density, 9, 6) + " " + real_field(p.Dfluc, 7, 3) + " " + real_field(p.Flucmy, 7, 3) +
           " " + real_field(p.Flucvar, 7, 3) + " " + text_field(p.DivInd.text(), 7) + " " + int_field(p.Permut, 7) +
           " " + text_field(p.Fractal.text(), 7) + " " + text_field(p.GridHet.text(), 7) + " ";
}

std::string line3() {
    std::vector<std::pair<int, int>> layout(7, {7, 1});
    layout.push_back({7, 3});
    layout.push_back({7, 4});
    layout.push_back({7, 1});
    layout.insert(layout.end(), 9, {7, 1});
    return labels({"DWD", "SWD", "Class", "SWDmy", "SWDvar", "DWDmy", "DWDvar", "Aggr", "AreaHet", "Scale1",
                   "Scale2", "NicheNo", "Range", "HabGrad", "RndHet", "Model", "Const=k", "Const=X", "TruncF"},
                  layout);
}

std::string line4(const WorkArea& wa) {
    const ParameterSet& p = wa.params;
    const RankOrderInput& r = wa.rank_order;
    return text_field(p.DWD.text(), 7) + " " + text_field(p.SWD.text(), 7) + " " + int_field(p.Class, 7) + " " +
           real_field(p.SWDmy, 7, 3) + " " + real_field(p.SWDvar, 7, 3) + " " + real_field(p.DWDmy, 7, 3) + " " +
           real_field(p.DWDvar, 7, 3) + " " + real_field(p.Aggr, 7, 3) + blanks(3) + real_field(p.AreaHet, 7, 3) +
           blanks(4) + real_field(p.Scale1, 7, 3) + " " + real_field(p.Scale2, 7, 3) + " " +
           real_field(p.NicheNo, 7, 3) + " " + real_field(p.Range, 7, 3) + " " + real_field(p.HabGrad, 7, 3) +
           blanks(5) + text_field(p.RndHet.text(), 3) + blanks(4) + text_field(r.model_type, 4) + " " +
           real_field(r.z, 7, 4) + " " + real_field(r.X, 7, 4) + " " + real_field(r.truncation, 7, 4) + " ";
}

void write_block(ReportFile& file, const WorkArea& wa, bool later_run) {
    if (later_run) file.line("");
    file.line(line1());
    file.line(line2(wa));
    file.line(line3());
    file.line(line4(wa));
}

}  // namespace

void write_settings_block(ReportFiles& reports, const WorkArea& wa) {
    const bool later_run = wa.iteration > 1;
    write_block(reports.distribution, wa, later_run);
    reports.distribution.line(" No. of species per weight class");
    if (!wa.answers.sampling()) return;
    write_block(reports.sample, wa, later_run);
    write_species_sample_header(reports.sample);
    write_block(reports.analysis, wa, later_run);
}

}  // namespace lorvenna
