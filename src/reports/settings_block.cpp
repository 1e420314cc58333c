#include "reports/settings_block.hpp"

#include <string>
#include <variant>
#include <vector>

#include "core/overloaded.hpp"
#include "data/parameter_table.hpp"
#include "numerics/fixed_field.hpp"
#include "reports/sample_report.hpp"

namespace lorvenna {
namespace {

// One parameter of the block: its label over the value the pass used, each
// padded to its width and followed by its gap of blanks.  A value may sit
// otherwise than its label (`value_width`, `value_gap`; -1: as the label).
struct SettingsField {
    const ParameterDescriptor& parameter;
    int width = 7, gap = 1;
    int decimals = 3;
    int value_width = -1, value_gap = -1;
};

using Fields = std::vector<SettingsField>;

const Fields& first_fields() {
    using P = ParameterSet;
    static const Fields fields = {
        {parameter(&P::Areal)},          {parameter(&P::SampA)},   {parameter(&P::maxSa)},
        {parameter(&P::minSa)},          {parameter(&P::StepSa)},  {parameter(&P::Sampfac)},
        {parameter(&P::Method)},         {parameter(&P::Species)}, {parameter(&P::maxD), 9, 2},
        {parameter(&P::minD), 9, 1, 6},  {parameter(&P::Dfluc)},   {parameter(&P::Flucmy)},
        {parameter(&P::Flucvar)},        {parameter(&P::DivInd)},  {parameter(&P::Permut)},
        {parameter(&P::Fractal)},        {parameter(&P::GridHet)},
    };
    return fields;
}

const Fields& second_fields() {
    using P = ParameterSet;
    static const Fields fields = {
        {parameter(&P::DWD)},   {parameter(&P::SWD)},    {parameter(&P::Class)},   {parameter(&P::SWDmy)},
        {parameter(&P::SWDvar)}, {parameter(&P::DWDmy)}, {parameter(&P::DWDvar)},  {parameter(&P::Aggr), 7, 3},
        {parameter(&P::AreaHet), 7, 4}, {parameter(&P::Scale1)}, {parameter(&P::Scale2)}, {parameter(&P::NicheNo)},
        {parameter(&P::Range)}, {parameter(&P::HabGrad), 7, 1, 3, 7, 5}, {parameter(&P::RndHet), 7, 1, 3, 3, 4},
    };
    return fields;
}

std::string label_line(const Fields& fields) {
    std::string line;
    for (const SettingsField& f : fields) line += text_field(f.parameter.label, f.width) + blanks(f.gap);
    return line;
}

std::string value_line(const Fields& fields, const ParameterSet& p, const DerivedValues& d) {
    std::string line;
    for (const SettingsField& f : fields) {
        const int width = f.value_width >= 0 ? f.value_width : f.width;
        line += std::visit(Overloaded{[&](std::int64_t v) { return int_field(v, width); },
                                      [&](float v) { return real_field(v, width, f.decimals); },
                                      [&](double v) { return real_field(v, width, f.decimals); },
                                      [&](const std::string& v) { return text_field(v, width); }},
                           f.parameter.used_value(p, d));
        line += blanks(f.value_gap >= 0 ? f.value_gap : f.gap);
    }
    return line;
}

// The head values of a rank-order assemblage after the parameters.
std::string rank_order_labels() {
    std::string line;
    for (const char* label : {"Model", "Const=k", "Const=X", "TruncF"}) line += text_field(label, 7) + blanks(1);
    return line;
}

std::string rank_order_values(const RankOrderBlock& r) {
    return text_field(r.model_type, 4) + " " + real_field(r.z, 7, 4) + " " + real_field(r.X, 7, 4) + " " +
           real_field(r.truncation, 7, 4) + " ";
}

void write_block(ReportFile& file, const Pass& pass, bool later_run) {
    if (later_run) file.line("");
    file.line(label_line(first_fields()));
    file.line(value_line(first_fields(), pass.params, pass.derived));
    file.line(label_line(second_fields()) + rank_order_labels());
    file.line(value_line(second_fields(), pass.params, pass.derived) + rank_order_values(pass.rank_order));
}

}  // namespace

void write_settings_block(ReportFiles& reports, const Pass& pass, bool sampling, bool later_run) {
    write_block(reports.distribution, pass, later_run);
    reports.distribution.line(" No. of species per weight class");
    if (!sampling) return;
    write_block(reports.sample, pass, later_run);
    write_species_sample_header(reports.sample);
    write_block(reports.analysis, pass, later_run);
}

}  // namespace lorvenna
