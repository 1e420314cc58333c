#include "reports/distribution_report.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {
namespace {

// Right-aligned column title; a title longer than its field keeps its leftmost characters.
std::string title(std::string_view text, int width) {
    if (static_cast<int>(text.size()) >= width) return std::string(text.substr(0, static_cast<std::size_t>(width)));
    return blanks(width - static_cast<int>(text.size())) + std::string(text);
}

std::int64_t whole(float v) { return trunc_to<std::int64_t>(static_cast<double>(v)); }

}  // namespace

void write_distribution_head(ReportFile& distribution) { distribution.line(" Characteristics of whole community"); }

void write_weight_class_line(ReportFile& distribution, const std::array<float, max_weight_classes + 1>& freq,
                             int classes) {
    std::string counts;
    for (int i = 1; i <= classes && i <= max_weight_classes; ++i)
        counts += int_field(nearest(freq[static_cast<std::size_t>(i)]), 6);
    distribution.line(counts);
}

void write_species_table_header(ReportFile& distribution) {
    distribution.line(text_field("SpeNo", 5) + " " + "         Weight" + " " + "            Ind" + " " +
                      "Density boundary");
}

void write_species_table_rows(ReportFile& distribution, const std::vector<SpeciesRow>& species, bool relative) {
    const int decimals = relative ? 12 : 2;
    for (const SpeciesRow& row : species)
        distribution.line(int_field(nearest(row.number), 5) + " " + real_field(row.weight, 15, 2) + " " +
                          real_field(row.abundance, 15, decimals) + " " + real_field(row.undisturbed, 15, decimals));
}

void write_placement_header(ReportFile& distribution) {
    distribution.line("SpeNo" + blanks(1) + "         Weight" + blanks(1) + "        OrigInd" + blanks(1) +
                      "         AssInd" + blanks(2) + "Density boundary");
}

void write_placement_rows(ReportFile& distribution, const std::vector<SpeciesRow>& species) {
    for (const SpeciesRow& row : species)
        distribution.line(int_field(whole(row.number), 5) + blanks(1) +
                          real_field(static_cast<double>(row.weight), 15, 2) + blanks(1) +
                          int_field(whole(row.abundance), 15) + blanks(1) + int_field(whole(row.assigned), 15) +
                          blanks(2) + int_field(whole(row.undisturbed), 15));
}

void write_community_statistics(ReportFile& distribution, const CommunityStatistics& st) {
    std::string head = title("No. species", 11) + " " + title("Ind. of Ass.", 15) + " " +
                       title("     Total biomass", 18) + " ";
    for (const char* t : {"SD lb(dens)", "  RAD slope ", " RAD Inter", "Diversity", "Evenness", "Alpha"})
        head += title(t, 11) + " ";
    distribution.line(head);

    std::string row = int_field(st.species, 11) + " " + real_field(st.individuals, 15, 1) + " " +
                      real_field(st.biomass, 18, 1) + " ";
    for (float v : {st.sd_lb, st.rad_slope, st.rad_intercept, st.diversity, st.evenness, st.alpha})
        row += real_field(v, 11, 4) + " ";
    distribution.line(row);
}

}  // namespace lorvenna
