#pragma once
// The five sampling designs: sample units, their areas and niches, the
// sample table, the series of sample sizes and the reshufflings.
#include "work_area.hpp"

namespace lorvenna {

// Largest sample size the design allows for the sampled square (maxSa clamp).
void clamp_sample_size_to_design(ParameterSet& p);
// Allocates the sample tables and fills areas and niches of the units.
void prepare_sample_units(WorkArea& wa);
// "dep": draws the unit positions (right after the offset of the sampled square);
// "lin": sets them along the diagonal; other designs draw nothing.
void draw_unit_positions(WorkArea& wa);
// How the cell counts of a species reach the units.  Automatic: the nested
// and independent designs tally the occupied cells alone (from the list of
// reached cells when the placement kept one, else from a sweep of the
// window); "dep" and "lin", and counts whose squares leave the exact range of
// double precision, use summed-area tables over the window.  Summed areas:
// the tables for every design.  Both give identical tallies.
enum class TallyMethod { automatic, summed_areas };

// Tallies the cell counts of the species just placed (table position sp) into the units.
void sample_species(WorkArea& wa, int sp, TallyMethod method = TallyMethod::automatic);
// After all species are placed: Cells.txt, the per-species sample table, every
// sample-size pass with its statistics and species-area rows, and the scaling
// analysis of the grid diagonals.
void evaluate_samples(WorkArea& wa);

}  // namespace lorvenna
