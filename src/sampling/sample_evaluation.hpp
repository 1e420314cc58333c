#pragma once
// The evaluation of the samples once every species is placed: the table of
// each species in the whole sample, and the series of sample sizes with their
// reshufflings, each giving the statistics of its sample and its species-area
// rows.
#include <cstdint>
#include <vector>

#include "sampling/sample_estimates.hpp"
#include "sampling/sample_size_tally.hpp"
#include "sampling/sample_units.hpp"
#include "statistics/community_statistics.hpp"
#include "statistics/richness_estimators.hpp"
#include "data/species.hpp"
#include "statistics/sample_statistics.hpp"

namespace lorvenna {

// Individuals of every species in the sample of the first n units: in a nested
// design the largest unit holds the sample; otherwise the units are pooled.
std::vector<double> sample_abundances(Design d, const SampleCounts& counts, int n);

// Cells inspected by the sample of the first n units (cells[u]: cells of unit u+1):
// the largest unit of a nested design, the sum of the units otherwise.
std::int64_t cells_sampled(Design d, const std::vector<std::int64_t>& cells, int n);

// Distinct cells of units 1..n for every n: the blocks of "dep" and "lin" may
// overlap, and a cell they share is inspected once.
std::vector<std::int64_t> distinct_cells(Design d, const std::vector<Block>& blocks, int window_side);

// Each species in the whole sample (all units), in table order; the sample
// column of the species table takes its individuals, the sample tables the
// upper density boundary of each species.
std::vector<SpeciesSample> species_sample_table(SampleTables& t, const SamplingFrame& f, std::vector<SpeciesRow>& species);

// What the samples estimate, known because the community is virtual.
struct SampleTruth {
    int species_grid = 0;               // species with at least one individual on the grid
    int species_square = 0;             // ... in the sampled square
    std::int64_t individuals_square = 0;
    std::int64_t square_cells = 0;      // cells of the sampled square
    // The diversity of the square's individuals (with the truth only)
    DiversityIndices indices;           // Shannon, inverse Simpson, Evar
    double alpha_root = 0.0;            // Fisher's alpha as the exact root (NaN without one)
};

// One sample size n: the statistics of its sample and its species-area rows.
struct SampleSizePass {
    int n = 0;
    CommunityStatistics statistics;
    DiversityIndices indices;          // all three, whatever DivInd says
    double alpha_root = 0.0;           // Fisher's alpha as the exact root (NaN without one)
    bool integer_individuals = false;  // nested designs count whole individuals
    std::int64_t area_sampled = 0;     // cells of the units of the sample, as Sample.txt counts them
    std::int64_t distinct_cells = 0;   // cells inspected, each counted once
    std::int64_t unit_area = 0;        // cells of the first unit: the grain
    SpeciesAreaRows rows;
    // The truth beside the estimates: the species of all individuals in the
    // cells each point of the curve covers, on the cells it covers (point i:
    // unit i, or for "dep" and "lin" the units of positions 1..i together),
    // and its power fit.
    std::vector<double> true_area, true_species;
    SpeciesAreaFits true_fits;
    // "oct" and "lin": the observed curve fitted on the cells actually inspected.
    bool inspected_fit = false;
    SpeciesAreaFits inspected_fits;
    // Estimates of the square's richness from the incidence in the n units.
    RichnessEstimates estimates;
    double sar_extrapolated = 0.0;  // c A^z at the square's area; NaN without a power fit
    // Every estimator with its interval beside its truth (estimates.csv).
    bool with_estimates = false;
    SampleEstimates sample_estimates;
};

// What a series computes beyond the reports.
struct SeriesOutputs {
    bool truth = false;        // the truth, the indices and the specpool estimators the tidy tables show
    bool estimates = false;    // every estimator with its interval (needs the truth)
    std::uint32_t seed = 0;    // the pass's seed word: the bootstrap intervals are seeded from it
};

// The sample sizes minSa, minSa + StepSa, ..., maxSa in turn.  The unit order
// of the reshuffled designs carries over from one size to the next.
class SampleSeries {
public:
    // The series of the sample tables `t` of the species `species`; each
    // sample size also gets what `outputs` asks for.  The estimates draw
    // nothing from the pass's stream: their bootstrap has a generator of its
    // own, seeded from the pass's seed word and the sample size.
    SampleSeries(const SamplingFrame& f, const SampleTables& t, const std::vector<SpeciesRow>& species,
                 const SeriesOutputs& outputs);
    // The next sample size, its reshufflings drawn from the stream; false after the last.
    bool next(const SampleTables& t, RandomStream& random, SampleSizePass& pass);

    Design design() const { return design_; }
    // The cells of every unit in window coordinates, and the window.
    const std::vector<Block>& blocks() const { return blocks_; }
    const Window& window() const { return window_; }
    const SampleTruth& truth() const { return truth_; }

private:
    void set_true_curve(const SampleCounts& counts, SampleSizePass& pass) const;
    SampleTruth truth_;
    bool with_truth_;
    bool with_estimates_;
    std::uint32_t seed_;
    SampleEstimator estimator_;
    Design design_;
    int reshufflings_;
    DiversityIndex index_;
    int rows_;
    Window window_;
    std::vector<Block> blocks_;
    std::vector<std::int64_t> distinct_;  // distinct cells of units 1..n at n-1
    std::vector<int> unit_species_;       // true species of each unit alone (designs that do not accumulate)
    std::vector<int> sizes_;
    std::size_t next_ = 0;
    std::vector<int> order_;
    std::vector<std::int64_t> cells_;
    std::vector<float> weights_;
    int assemblage_ = 0;
};

}  // namespace lorvenna
