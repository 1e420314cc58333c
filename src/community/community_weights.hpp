#pragma once
// The steps of the generated community, one function each, so that weight
// classes, the weight sequence and the density-weight forms can be checked on
// their own.
#include <array>

#include "data/parameters.hpp"
#include "data/species.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// Class, SWDmy and SWDvar fitted to the number of species.
struct WeightClasses {
    int classes = 0;
    float mean = 0.0f;  // of the species-weight distribution, in classes (logn: ln class)
    float sd = 0.0f;
};

// More classes than species shrink to one class per species with a
// proportionally smaller mean; no classes at all give one class per species
// (at most 50) around species/2.  Otherwise the parameters stand as given.
WeightClasses fit_weight_classes(const ParameterSet& p, int species);

// Expected species per doubling class, scaled to add up to `species`, then moved
// down so that class 1 is the first class holding at least half a species.
// Entries beyond the moved classes are 0.  False when no class qualifies.
bool class_frequencies(WeightForm swd, const WeightClasses& classes, int species,
                       WeightClassList& freq);

// Body weights through the doubling classes: the n species of class k get
// 2^(k-1) + j 2^(k-1)/n, j = 1..n, the last one exactly 2^k.  Once a class
// with fewer than half a species is reached, every further weight is 0.
struct WeightSequence {
    int cls = 1;        // current class
    int exponent = 1;   // its upper bound is 2^exponent
    int in_class = 0;   // species already given a weight in the current class
    float weight = 0.0f;  // weight of the last species
    void next(const WeightClassList& freq);
};

// Undisturbed abundance of a species of weight w for a density-weight form;
// known is false outside the five forms.
float undisturbed_abundance(DensityForm dwd, float w, float max_ind, float a, float b, bool& known);

// The density fluctuation factor: a uniform draw when Flucvar is 0, otherwise
// normal deviates around Flucmy, negative ones redrawn and values above 1.1
// redrawn when the species fluctuates log-type (r2 <= Dfluc).
float fluctuation_factor(RandomStream& random, const ParameterSet& p, double r2);

// Abundance with fluctuation: log-type exp(f ln x - 1) on a floored base, or
// linear type (x - 1) f.
float fluctuated_abundance(DensityForm dwd, float x, float f, bool log_type);

}  // namespace lorvenna
