#include "statistics/presence_matrix.hpp"

namespace lorvenna {
namespace {

// The set bits of a word, counted in the register (the portable build has no
// population-count instruction, and the library call costs more than this).
inline int bit_count(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

// The bits of the first `units` units within word w.
inline std::uint64_t first_units_mask(int w, int units) {
    const int left = units - 64 * w;
    if (left >= 64) return ~std::uint64_t{0};
    return left <= 0 ? 0 : (std::uint64_t{1} << left) - 1;
}

}  // namespace

PresenceMatrix::PresenceMatrix(int species, int units)
    : species_(species > 0 ? species : 0),
      units_(units > 0 ? units : 0),
      words_((units_ + 63) / 64),
      bits_(static_cast<std::size_t>(species_) * static_cast<std::size_t>(words_), 0) {}

void PresenceMatrix::set(int species, int unit) {
    bits_[static_cast<std::size_t>(species) * static_cast<std::size_t>(words_) + static_cast<std::size_t>(unit / 64)] |=
        std::uint64_t{1} << (unit % 64);
}

int PresenceMatrix::units_with(int species, int units) const {
    const std::uint64_t* const r = row(species);
    int count = 0;
    for (int w = 0; w < words_ && 64 * w < units; ++w) count += bit_count(r[w] & first_units_mask(w, units));
    return count;
}

int PresenceMatrix::units_with_either(int a, int b, int units) const {
    const std::uint64_t *const ra = row(a), *const rb = row(b);
    const int full = units / 64 < words_ ? units / 64 : words_;
    int count = 0;
    for (int w = 0; w < full; ++w) count += bit_count(ra[w] | rb[w]);
    if (full < words_) count += bit_count((ra[full] | rb[full]) & first_units_mask(full, units));
    return count;
}

}  // namespace lorvenna
