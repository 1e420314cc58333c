#pragma once
// Sample.txt: the per-species table of the whole sample and one statistics
// row per sample size.
#include <vector>

#include "core/report_file.hpp"
#include "sampling/sample_evaluation.hpp"
#include "data/species.hpp"

namespace lorvenna {

void write_sample_head(ReportFile& sample);
// The header of the per-species table, written after each settings block.
void write_species_sample_header(ReportFile& sample);
// One row per species: number, weight and what the whole sample tells of it.
void write_species_sample_table(ReportFile& sample, const std::vector<SpeciesRow>& species,
                                const std::vector<SpeciesSample>& table);
void write_sample_statistics_header(ReportFile& sample);
void write_sample_statistics_row(ReportFile& sample, const SampleSizePass& pass);

}  // namespace lorvenna
