#pragma once
// The generated community: weight classes, body weights, densities with
// fluctuations and the species table.
#include <string>
#include <vector>

#include "statistics/community_statistics.hpp"
#include "data/parameters.hpp"
#include "data/species.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// What became of the community of a pass.
struct CommunityOutcome {
    bool built = false;
    int weight_classes = -1;     // classes of the weight-class line; -1: no line
    bool table_started = false;  // the species loop was entered (the mode-m table has its header)
    std::string error;           // why no community was built; a batch goes on
    std::string fatal;           // why the session cannot go on, once the weight classes are written
};

// Fills the species table from the parameter set and the random stream (source
// "g"), with the weight classes in class_freq and the fitted classes in the
// derived values; a model-only run also keeps the fluctuated abundances and
// the totals.  After "Error while assigning the weight-classes" or "Error
// with the DWD-function" the species table is empty and community_built false.
CommunityOutcome build_community(const ParameterSet& p, DerivedValues& d, bool model_only, RandomStream& random,
                                 Community& community);

// Model-only runs without a maximum density describe the community by shares:
// abundances and undisturbed abundances divided by all individuals.
void express_relative_abundances(std::vector<SpeciesRow>& species, double total);

// Statistics of the whole community: of the individuals placed in a sampling
// run, of the abundances in a model-only run.
CommunityStatistics statistics_of_community(const std::vector<SpeciesRow>& species, bool sampled, DiversityIndex index);

}  // namespace lorvenna
