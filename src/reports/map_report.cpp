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

void write_species_map(ReportFile& map, const Pass& pass, float map_species, int sp) {
    const std::vector<SpeciesRow>& species = pass.community.species;
    if (sp < 1 || sp > static_cast<int>(species.size())) return;
    if (!(map_species > 0.0f) || !map.is_open()) return;
    const SpeciesRow& row = species[static_cast<std::size_t>(sp - 1)];
    if (row.number != map_species) return;

    map.line("Species number: " + int_field(trunc_to<std::int64_t>(static_cast<double>(row.number)), 5) +
             blanks(3) + "Centre of range: x" + centre_field(pass.centre.x) + blanks(1) + "y: " +
             centre_field(pass.centre.y));
    map.line("x-Coord." + blanks(1) + "y-Coord." + blanks(1) + "   Indiv");
    // The sampled square, clipped to the grid should it reach past the edge.
    const SquareArray<std::int32_t>& counts = pass.grids.cell_counts;
    const std::int64_t side = counts.side;
    const std::int64_t off = pass.grids.square.offset;
    const std::int64_t extent = std::min<std::int64_t>(pass.params.SampA, side - off);
    for (std::int64_t a = 1; a <= extent; ++a)
        for (std::int64_t b = 1; b <= extent; ++b)
            map.line(int_field(a, 8) + blanks(1) + int_field(b, 8) + blanks(1) +
                     int_field(counts.at(static_cast<int>(off + a), static_cast<int>(off + b)), 8));
    map.close();
}

}  // namespace lorvenna
