#pragma once
// Distribution.txt: the weight-class line, the species table (mode m, or
// under the placement header in mode s) and the whole-community statistics.
#include <array>
#include <vector>

#include "core/report_file.hpp"
#include "statistics/community_statistics.hpp"
#include "data/species.hpp"

namespace lorvenna {

void write_distribution_head(ReportFile& distribution);
// The nearest whole numbers of species in classes 1..classes, 6 columns each.
void write_weight_class_line(ReportFile& distribution, const WeightClassList& freq,
                             int classes);
// Model-only runs: the species table, its header written when the first species is met.
void write_species_table_header(ReportFile& distribution);
void write_species_table_rows(ReportFile& distribution, const std::vector<SpeciesRow>& species, bool relative);
// Sampling runs: the species with OrigInd and AssInd, once the samples are evaluated.
void write_placement_header(ReportFile& distribution);
void write_placement_rows(ReportFile& distribution, const std::vector<SpeciesRow>& species);
void write_community_statistics(ReportFile& distribution, const CommunityStatistics& statistics);

}  // namespace lorvenna
