#pragma once
// Which sampling units hold which species: the presence matrix of an
// incidence sample, one row of bits per species and 64 units to a word, so
// that the units holding neither of two species are counted a word at a
// time.  The species-pair sums of the variance of the bootstrap richness
// estimate (vegan's specpool) need that count for every pair found.
#include <cstdint>
#include <vector>

namespace lorvenna {

class PresenceMatrix {
public:
    PresenceMatrix() = default;
    PresenceMatrix(int species, int units);

    int species() const { return species_; }
    int units() const { return units_; }
    void set(int species, int unit);
    // Of the first `units` units: those holding the species, and those holding a or b or both.
    int units_with(int species, int units) const;
    int units_with_either(int a, int b, int units) const;

private:
    const std::uint64_t* row(int species) const {
        return bits_.data() + static_cast<std::size_t>(species) * static_cast<std::size_t>(words_);
    }
    int species_ = 0, units_ = 0, words_ = 0;
    std::vector<std::uint64_t> bits_;
};

}  // namespace lorvenna
