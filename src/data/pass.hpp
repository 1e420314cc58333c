#pragma once
// One pass of the model: its parameters as given, what it derives and builds,
// its own random stream and the record the tidy tables keep of it.  A pass
// is a value: the session prepares one and runs it, or hands a copy to a
// worker when passes run beside each other.
#include <cstdint>
#include <optional>
#include <string>

#include "core/stage_times.hpp"
#include "data/grids.hpp"
#include "data/parameters.hpp"
#include "data/rank_order.hpp"
#include "data/samples.hpp"
#include "data/species.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// What the tidy tables tell of a pass beyond its parameters and derived values.
struct PassRecord {
    int run = 0;                   // pass number of the session
    long long row = 0;             // line of the batch file; 0: the dialogue's pass
    int replicate = 1;
    std::uint32_t seed = 0;        // seed word at the start of the pass
    std::string status = "ok";     // or why the pass produced no community
    bool sampled = false;          // the individuals were placed and sampled
    int square_side = 0;           // side of the sampled square, cut at the edge of the grid
    int species_given_up = 0;
    // Scaling of the habitat along the grid diagonals
    int scaling_classes = 0, scaling_points = 0;
    bool variance_fit = false, length_fit = false;
    double variance_intercept = 0.0, variance_slope = 0.0, variance_dimension = 0.0;
    double length_intercept = 0.0, length_slope = 0.0, length_dimension = 0.0;
    StageTimes times;              // of this pass alone
};

struct Pass {
    // What the pass is given
    ParameterSet params;
    RankOrderBlock rank_order;
    // The habitat heterogeneity deviate c to use in place of every one drawn
    // (the draws are still taken, so every later draw stays where it was).
    std::optional<float> given_heterogeneity;
    // Its random stream: the session's, continued, or a stream of its own under run seeds.
    RandomStream random;

    // What it derives and builds
    DerivedValues derived;
    Community community;
    Grids grids;
    RangeCentre centre;  // the range centre drawn last; a pass without ranges keeps the one before
    SampleTables samples;

    PassRecord record;

    // Releases the arrays of the pass, as a batch does before its next row;
    // the parameters, derived values and stream stay for the next row.
    void release_arrays() {
        community.species.clear();
        community.species.shrink_to_fit();
        grids.release();
        samples.release();
    }
};

}  // namespace lorvenna
