#pragma once
// What every part of the sampling designs reads of the sample tables: the
// species rows they hold, their counts and the cells each unit covers.
#include <cstdint>
#include <vector>

#include "sampling/sample_units.hpp"

namespace lorvenna::detail {

// Species rows that the species table (`species` rows) and the sample tables both hold.
int species_rows(const SampleTables& t, std::size_t species);

// The sample counts of those rows.
SampleCounts counts_of(const SampleTables& t, int rows);

// Cells that every unit covers in the current geometry.
std::vector<std::int64_t> unit_cells(const SamplingFrame& f, const SampleTables& t);

}  // namespace lorvenna::detail
