#include "sampling/sample_estimates.hpp"

#include <cstddef>

#include "statistics/hill_numbers.hpp"
#include "statistics/richness_by_abundance.hpp"
#include "statistics/richness_by_incidence.hpp"

namespace lorvenna {

const char* quantity_name(EstimatedQuantity q) {
    switch (q) {
        case EstimatedQuantity::richness: return "richness";
        case EstimatedQuantity::hill1: return "hill1";
        case EstimatedQuantity::hill2: return "hill2";
        case EstimatedQuantity::coverage: return "coverage";
    }
    return "";
}

const char* basis_name(SampleBasis b) { return b == SampleBasis::incidence ? "incidence" : "abundance"; }

SampleEstimator::SampleEstimator(const SampleCounts& counts, const std::vector<std::int64_t>& in_square,
                                 const SquareTruth& truth)
    : in_square_(in_square), truth_(truth) {
    std::vector<int> found;
    for (int k = 0; k < counts.species; ++k)
        for (int u = 0; u < counts.units; ++u)
            if (counts.at(k, u) > 0) {
                found.push_back(k);
                break;
            }
    presence_ = PresenceMatrix(static_cast<int>(found.size()), counts.units);
    for (std::size_t i = 0; i < found.size(); ++i)
        for (int u = 0; u < counts.units; ++u)
            if (counts.at(found[i], u) > 0) presence_.set(static_cast<int>(i), u);
}

void SampleEstimator::estimate(int n, const std::vector<double>& abundances, const SpeciesAreaRows& rows,
                               bool resampled, std::uint64_t seed, SampleEstimates& out) {
    // Incidence: Q_c species in exactly c of the n units, as the tallies counted them.
    values_.clear();
    for (std::size_t c = 0; c < rows.occupancy.size(); ++c)
        values_.insert(values_.end(), static_cast<std::size_t>(rows.occupancy[c]), static_cast<std::int64_t>(c + 1));
    tally_frequencies(values_, true, n, incidence_);
    // Abundance: the individuals of the sample, and the square's individuals of the species it found.
    values_.clear();
    double found_in_square = 0.0;
    for (std::size_t k = 0; k < abundances.size(); ++k) {
        values_.push_back(static_cast<std::int64_t>(abundances[k]));
        if (abundances[k] > 0.0 && k < in_square_.size()) found_in_square += static_cast<double>(in_square_[k]);
    }
    tally_frequencies(values_, false, 0, abundance_);

    std::size_t i = 0;
    const auto put = [&](EstimatedQuantity q, SampleBasis b, const char* name, const Estimate& value, double truth) {
        out[i++] = EstimateRow{q, b, name, value, truth};
    };
    using Q = EstimatedQuantity;
    using B = SampleBasis;
    const double bootstrap_variance = resampled ? bootstrap_richness_variance(presence_, n) : std::nan("");
    for (const NamedEstimate& e : richness_from_incidence(incidence_, rows.bootstrap, bootstrap_variance))
        put(Q::richness, B::incidence, e.name, e.value, truth_.species);
    for (const NamedEstimate& e : richness_from_abundance(abundance_))
        put(Q::richness, B::abundance, e.name, e.value, truth_.species);
    const HillEstimates hill = hill_estimates(abundance_, resampled ? hill_bootstrap_replicates : 0, seed);
    Estimate observed;
    observed.estimate = hill.observed[1];
    put(Q::hill1, B::abundance, "observed", observed, truth_.hill1);
    put(Q::hill1, B::abundance, "estimated", hill.estimated[1], truth_.hill1);
    observed.estimate = hill.observed[2];
    put(Q::hill2, B::abundance, "observed", observed, truth_.hill2);
    put(Q::hill2, B::abundance, "estimated", hill.estimated[2], truth_.hill2);
    const double coverage_truth = truth_.individuals > 0.0 ? found_in_square / truth_.individuals : std::nan("");
    put(Q::coverage, B::abundance, "estimated", hill.coverage, coverage_truth);
}

}  // namespace lorvenna
