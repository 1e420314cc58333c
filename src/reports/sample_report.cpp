#include "reports/sample_report.hpp"

#include <string>

#include "numerics/fixed_field.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {

void write_sample_head(ReportFile& sample) { sample.line(" Characteristics of total sample"); }

void write_species_sample_header(ReportFile& sample) {
    std::string line = text_field("SpeNo", 5) + " ";
    for (const char* title : {"         Weight", "Ind", "Density", "StDev", "log2Dens", "Lloyd"})
        line += text_field(title, 15) + " ";
    sample.line(line + text_field("Density boundary", 20));
}

void write_species_sample_table(ReportFile& sample, const std::vector<SpeciesRow>& species,
                                const std::vector<SpeciesSample>& table) {
    for (std::size_t k = 0; k < table.size() && k < species.size(); ++k) {
        const SpeciesSample& s = table[k];
        sample.line(int_field(nearest(species[k].number), 5) + " " + real_field(species[k].weight, 15, 2) + " " +
                    real_field(s.individuals, 15, 0) + " " + real_field(s.density, 15, 10) + " " +
                    real_field(s.sd, 15, 10) + " " + real_field(s.log2_density, 15, 3) + " " +
                    real_field(s.lloyd, 15, 3) + " " + blanks(2) + real_field(s.boundary, 18, 10));
    }
}

void write_sample_statistics_header(ReportFile& sample) {
    std::string h = text_field("No. species", 11) + " " + text_field("Ind. Sample", 11) + " " +
                    text_field("     Total biomass", 18) + " ";
    for (const char* t : {"SD lb(dens)", "  RAD slope", "  RAD Inter", "Diversity", "Evenness", "Alpha",
                          "Area sampl.", "Unit area"})
        h += text_field(t, 11) + " ";
    sample.line(h);
}

void write_sample_statistics_row(ReportFile& sample, const SampleSizePass& pass) {
    const CommunityStatistics& s = pass.statistics;
    std::string line = int_field(s.species, 11) + " ";
    line += (pass.integer_individuals ? int_field(nearest(s.individuals), 11) : real_field(s.individuals, 11, 0)) + " ";
    line += real_field(s.biomass, 18, 1) + " ";
    for (const float v : {s.sd_lb, s.rad_slope, s.rad_intercept, s.diversity, s.evenness, s.alpha})
        line += real_field(static_cast<double>(v), 11, 4) + " ";
    line += int_field(pass.area_sampled, 11) + " " + int_field(pass.unit_area, 11) + " ";
    sample.line(line);
}

}  // namespace lorvenna
