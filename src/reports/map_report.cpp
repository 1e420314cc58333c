// Map.txt: the cell counts of the chosen species over the sampled square.
#include <algorithm>
#include <cstdint>
#include <string>

#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"
#include "reports/map_report.hpp"

namespace lorvenna {

std::string centre_field(float value) {
    const std::int64_t whole = nearest<std::int64_t>(static_cast<double>(value));
    std::string digits = std::to_string(whole);
    if (whole == 0 && value < 0.0f) digits = "-0";
    if (digits.size() > 3) return "****";
    return blanks(3 - static_cast<int>(digits.size())) + digits + ".";
}

void write_species_map(ReportFile& map, const WorkArea& wa, int sp) {
    if (sp < 1 || sp > static_cast<int>(wa.species.size())) return;
    if (!(wa.answers.map_species > 0.0f) || !map.is_open()) return;
    const SpeciesRow& row = wa.species[static_cast<std::size_t>(sp - 1)];
    if (row.number != wa.answers.map_species) return;

    map.line("Species number: " + int_field(trunc_to<std::int64_t>(static_cast<double>(row.number)), 5) +
             blanks(3) + "Centre of range: x" + centre_field(wa.range_x) + blanks(1) + "y: " +
             centre_field(wa.range_y));
    map.line("x-Coord." + blanks(1) + "y-Coord." + blanks(1) + "   Indiv");
    // The sampled square, clipped to the grid should it reach past the edge.
    const std::int64_t side = wa.cell_counts.side;
    const std::int64_t off = wa.offset;
    const std::int64_t extent = std::min<std::int64_t>(wa.params.SampA, side - off);
    for (std::int64_t a = 1; a <= extent; ++a)
        for (std::int64_t b = 1; b <= extent; ++b)
            map.line(int_field(a, 8) + blanks(1) + int_field(b, 8) + blanks(1) +
                     int_field(wa.cell_counts.at(static_cast<int>(off + a), static_cast<int>(off + b)), 8));
    map.close();
}

}  // namespace lorvenna
