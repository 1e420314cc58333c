#pragma once
// The tidy tables: one observation per row, every value in full precision, NA
// where a value is undefined, so that R, Python or DuckDB read each table
// with one call.  Every table has the column run (the pass number of the
// session) so that tables join.  Rows are appended as a pass produces them and
// flushed with the reports after every pass.
#include <string_view>
#include <vector>

#include "core/io_seam.hpp"
#include "sampling/sample_evaluation.hpp"
#include "data/pass.hpp"
#include "data/session.hpp"

namespace lorvenna {

// Creates runs.csv, species.csv, samples.csv, curve.csv, units.csv,
// timings.csv, estimates.csv and occurrences.csv with their header rows; `habitat_grids` adds habitat-<run>.asc
// per pass (and map-<run>.asc for the mapped species).
void open_tidy_tables(ReportFiles& reports, Io& io, bool habitat_grids);

// One row per pass: its parameters as the pass used them and what it derived.
void write_run_row(ReportFile& runs, const Pass& pass);
// One row per species of the pass.
void write_species_rows(ReportFile& species, const Pass& pass);
// One row per sample size.
void write_sample_row(ReportFile& samples, const Pass& pass, const SampleSizePass& size, const SampleSeries& series);
// One row per sample size and unit of the species-area curve.
void write_curve_rows(ReportFile& curve, const Pass& pass, const SampleSizePass& size, const SampleSeries& series);
// One row per unit of the largest sample.
void write_unit_rows(ReportFile& units, const Pass& pass, const SampleSeries& series);
// One row per sample size and estimator: the estimate, its interval and the truth.
void write_estimate_rows(ReportFile& estimates, const Pass& pass, const SampleSizePass& size);
// One row per unit of the largest sample and species found in it: the
// community matrix of the sample, sparse.
void write_occurrence_rows(ReportFile& occurrences, const Pass& pass);
// Seconds of each stage of the pass: the one table that differs between two runs of the same inputs.
void write_timings_row(ReportFile& timings, const PassRecord& pass);

// An ESRI ASCII grid (the raster format terra, raster, GDAL and QGIS open):
// the habitat of the pass, and the individuals of the mapped species per cell.
void write_habitat_grid_file(Io& io, int run, const SquareArray<float>& habitat);
void write_species_grid_file(Io& io, int run, const SquareArray<std::int32_t>& counts);

}  // namespace lorvenna
