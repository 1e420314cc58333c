#pragma once
// The five sampling designs: sample units, their areas and niches, the
// sample table, the series of sample sizes and the reshufflings.
#include <cstdint>
#include <vector>

#include "data/grids.hpp"
#include "data/parameters.hpp"
#include "placement/reached_cells.hpp"
#include "sampling/sample_units.hpp"

namespace lorvenna {

// maxSa held to the largest sample size the design allows on the sampled
// square (at least 1), and minSa to at most that.
struct SampleSizes {
    int max = 0, min = 0;
};
SampleSizes clamped_sample_sizes(const ParameterSet& p);

// What the sampling reads of the pass, with the sampled square where it lies now.
SamplingFrame sampling_frame(const ParameterSet& p, const DerivedValues& d, const Grids& grids);

// Allocates the sample tables for `species_rows` species and fills areas and niches of the units.
void prepare_sample_units(SampleTables& t, const SamplingFrame& f, int species_rows);
// "dep": draws the unit positions (right after the offset of the sampled square);
// "lin": sets them along the diagonal; other designs draw nothing.
void draw_unit_positions(SampleTables& t, const SamplingFrame& f, RandomStream& random);
// How the cell counts of a species reach the units.  Automatic: the nested
// and independent designs tally the occupied cells alone (from the list of
// reached cells when the placement kept one, else from a sweep of the
// window); "dep" and "lin", and counts whose squares leave the exact range of
// double precision, use summed-area tables over the window.  Summed areas:
// the tables for every design.  Both give identical tallies.
enum class TallyMethod { automatic, summed_areas };

// Work space of the summed-area tallies, kept from one species to the next:
// summed-area tables of the species' counts and squared counts over the window.
struct TallyWorkspace {
    std::vector<std::int64_t> summed;
    std::vector<double> summed_squares;
};

// Tallies the cell counts of the species just placed (table position sp) into
// the units; `reached` lists the cells the species reached.
void sample_species(SampleTables& t, const SamplingFrame& f, const SquareArray<std::int32_t>& cell_counts, int sp,
                    const ReachedCells& reached, TallyWorkspace& workspace, TallyMethod method = TallyMethod::automatic);

}  // namespace lorvenna
