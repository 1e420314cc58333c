#include "reports/cells_report.hpp"

#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"
#include "sampling/sample_units.hpp"

namespace lorvenna {
namespace {

template <typename T>
std::string unit_row(const std::vector<T>& values) {
    std::string s = blanks(8);
    for (const T v : values) s += int_field(static_cast<std::int64_t>(v), 7) + " ";
    return s;
}

}  // namespace

void write_sample_contents(ReportFile& cells, const Pass& pass) {
    if (!cells.is_open()) return;
    const SampleTables& t = pass.samples;
    const std::vector<SpeciesRow>& species = pass.community.species;
    std::vector<std::string> lines;
    switch (pass.params.Method.kind()) {
        case Design::random_dependent:
        case Design::diagonal:
            lines.push_back(" Coordinates of Cells");
            lines.push_back(unit_row(t.x));
            lines.push_back(unit_row(t.y));
            break;
        case Design::nested:
        case Design::other:
            lines.push_back(" Area sequentially sampled");
            lines.push_back(unit_row(t.area));
            break;
        case Design::independent:
            lines.push_back(" Area independently sampled");
            lines.push_back(unit_row(t.area));
            break;
        case Design::octaves:
            lines.push_back(" Area sampled from octaves");
            lines.push_back(unit_row(t.area));
            break;
    }
    lines.push_back(" Maximum number of niches per sample unit");
    lines.push_back(unit_row(t.niches));
    lines.push_back("Species Data, each row is the sampling of one of the " +
                    int_field(pass.derived.species, 4) + " species");
    const int rows = static_cast<int>(species.size());
    const SampleCounts counts{t.counts.data(), rows, t.units};
    for (int k = 0; k < rows && t.counts.size() >= static_cast<std::size_t>(rows) * static_cast<std::size_t>(t.units); ++k) {
        std::string row = int_field(nearest(species[static_cast<std::size_t>(k)].number), 7) + " ";
        for (int u = 0; u < t.units; ++u) row += int_field(counts.at(k, u), 7) + " ";
        lines.push_back(row);
    }
    for (const std::string& line : lines) cells.line(line);
}

}  // namespace lorvenna
