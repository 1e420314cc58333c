#pragma once
// The two kinds of sample the richness and diversity estimators read, and the
// frequency counts made from them once.
//
// Abundance: the individuals counted of each observed species; zeros and
// negative entries are no observation and are dropped.
// Incidence: the number of sampling units T and, for each observed species,
// the units it was found in (1..T); zeros are dropped, and an entry above T (or
// T < 1 with species listed) makes the sample invalid: every estimator then
// gives NaN.
//
// Frequency counts: f_k (abundance) or Q_k (incidence), the species seen
// exactly k times, kept as the classes (k, f_k) with f_k > 0 in rising k.
#include <cstdint>
#include <utility>
#include <vector>

namespace lorvenna {

struct AbundanceSample {
    std::vector<std::int64_t> individuals;  // one entry per species
};

struct IncidenceSample {
    std::int64_t units = 0;                 // T
    std::vector<std::int64_t> incidences;   // one entry per species: units it occurs in
};

struct FrequencyClass {
    std::int64_t times = 0;    // k
    std::int64_t species = 0;  // f_k
};

struct FrequencyCounts {
    bool incidence = false;
    bool valid = true;
    std::int64_t size = 0;      // n individuals, or T units
    std::int64_t total = 0;     // n, or U = the sum of the incidences
    std::int64_t observed = 0;  // S, the species seen
    std::vector<FrequencyClass> classes;

    // f_k: the species seen exactly k times.
    std::int64_t f(std::int64_t k) const;
};

FrequencyCounts frequency_counts(const AbundanceSample& sample);
FrequencyCounts frequency_counts(const IncidenceSample& sample);

// The counts of one resampled sample, written into `out` and reusing its
// storage: `values` (counts or incidences, zeros allowed) is sorted in place.
void tally_frequencies(std::vector<std::int64_t>& values, bool incidence, std::int64_t units, FrequencyCounts& out);

}  // namespace lorvenna
