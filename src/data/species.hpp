#pragma once
// The species table of a pass, with the weight classes and the totals the
// community model fills beside it.
#include <array>
#include <vector>

#include "numerics/constants.hpp"

namespace lorvenna {

// One row of the species table.
struct SpeciesRow {
    float number = 0.0f;       // species number (SpeNo)
    float weight = 0.0f;       // body weight
    float abundance = 0.0f;    // expected individuals, OrigInd
    float fluctuated = 0.0f;   // fluctuated value N (model-only runs)
    float assigned = 0.0f;     // individuals placed, AssInd
    float undisturbed = 0.0f;  // undisturbed abundance x
    float centre_x = 0.0f, centre_y = 0.0f;  // range centre drawn by the placement
    float sample_column = 0.0f;  // filled by the sample statistics; not moved by the shuffle
};

// Totals of the whole community (model-only runs accumulate them in the community model).
struct CommunityTotals {
    double individuals = 0.0;
    float biomass = 0.0f;
};

// Expected species per weight class, 1-based.
using WeightClassList = std::array<float, max_weight_classes + 1>;

// What the community model builds: the species table, the species per weight
// class and the totals of the community.
struct Community {
    WeightClassList class_freq{};
    std::vector<SpeciesRow> species;
    CommunityTotals totals;
};

}  // namespace lorvenna
