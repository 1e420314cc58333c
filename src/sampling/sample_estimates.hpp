#pragma once
// Every estimator of one sample beside the truth it estimates, as the rows of
// estimates.csv: the richness of the sampled square from the incidence of the
// species in the n units and from their individuals pooled, the Hill numbers
// of order 1 and 2 and the sample coverage, each with its standard error and
// 95 % interval where the estimator has one.
//
// The data are exactly those behind the sample statistics: the incidence is
// the occupancy of the units (the singletons, doubletons and bootstrap summand
// of samples.csv), the abundances the individuals the sample statistics use
// (the largest unit of a nested design, the units pooled otherwise).
//
// Intervals: the richness estimators' analytic ones (SpadeR's forms), at every
// sample size.  Those that resample or sum over every pair of species are
// asked for by `resampled` (the pass asks at its largest sample only): the
// standard error of the incidence bootstrap (vegan's, over the presence
// matrix), and the intervals of the Hill numbers and the coverage by iNEXT's
// bootstrap, drawn from a generator seeded by `seed`, never from the pass's
// random stream.  Without them these are NaN.
#include <array>
#include <cstdint>
#include <vector>

#include "sampling/sample_size_tally.hpp"
#include "sampling/sample_units.hpp"
#include "statistics/frequency_data.hpp"
#include "statistics/interval_estimate.hpp"
#include "statistics/presence_matrix.hpp"

namespace lorvenna {

enum class EstimatedQuantity { richness, hill1, hill2, coverage };
enum class SampleBasis { incidence, abundance };

const char* quantity_name(EstimatedQuantity q);
const char* basis_name(SampleBasis b);

struct EstimateRow {
    EstimatedQuantity quantity = EstimatedQuantity::richness;
    SampleBasis basis = SampleBasis::incidence;
    const char* estimator = "";
    Estimate value;
    double truth = 0.0;
};

// Incidence richness (10), abundance richness (10), hill1 and hill2 observed
// and estimated (4), coverage estimated (1).
inline constexpr std::size_t estimate_row_count = 25;
using SampleEstimates = std::array<EstimateRow, estimate_row_count>;

// Bootstrap replicates of the Hill numbers' and the coverage's intervals
// (iNEXT's default nboot).
inline constexpr int hill_bootstrap_replicates = 50;

// What the square holds, against which every sample of a pass is scored.
struct SquareTruth {
    double species = 0.0;       // species with individuals in the square
    double individuals = 0.0;
    double hill1 = 0.0, hill2 = 0.0;  // Hill numbers of order 1 and 2 of the square's abundances
};

class SampleEstimator {
public:
    SampleEstimator() = default;
    // `counts`: the individuals of every species in every unit; `in_square`:
    // the individuals of every species in the sampled square.
    SampleEstimator(const SampleCounts& counts, const std::vector<std::int64_t>& in_square, const SquareTruth& truth);

    // The estimates of the sample of the first n units: `abundances` of every
    // species in it, `rows` its tallies (occupancy and bootstrap summand).
    void estimate(int n, const std::vector<double>& abundances, const SpeciesAreaRows& rows, bool resampled,
                  std::uint64_t seed, SampleEstimates& out);

private:
    PresenceMatrix presence_;  // over the species found in any unit
    std::vector<std::int64_t> in_square_;
    SquareTruth truth_;
    std::vector<std::int64_t> values_;  // reused between sample sizes
    FrequencyCounts incidence_, abundance_;
};

}  // namespace lorvenna
