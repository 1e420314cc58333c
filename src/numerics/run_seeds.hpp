#pragma once
// The seed word of one pass of a sweep, derived from the session's seed word,
// the batch row and the replicate, so that every pass can run alone, on any
// core or node, and give what it gives in the whole sweep.
//
// SplitMix64 (Steele, Lea and Flood 2014) mixes the three numbers:
//   h = mix(session);  h = mix(h ^ row);  h = mix(h ^ replicate)
// where mix(x) is the SplitMix64 output for the state x:
//   z = x + 0x9E3779B97F4A7C15
//   z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9
//   z = (z ^ (z >> 27)) * 0x94D049BB133111EB
//   mix(x) = z ^ (z >> 31)
// and the seed word is the upper half of h xor its lower half.
//
// The bootstrap of a pass's rarefaction curves draws from a generator of its
// own (resampling_generator.hpp) seeded by curve_seed(seed word of the pass):
//   curve_seed(w) = mix(mix(w) ^ 0x6375727665730000)   ("curves" in ASCII)
// never from the pass's stream, so the model's draws and every other table
// stay as they are with or without the curves.
#include <cstdint>

namespace lorvenna {

constexpr std::uint64_t splitmix64(std::uint64_t x) {
    std::uint64_t z = x + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

constexpr std::uint32_t run_seed(std::uint32_t session, std::uint64_t row, std::uint64_t replicate) {
    std::uint64_t h = splitmix64(session);
    h = splitmix64(h ^ row);
    h = splitmix64(h ^ replicate);
    return static_cast<std::uint32_t>((h >> 32) ^ (h & 0xFFFFFFFFULL));
}

// The seed of the resampling (the bootstrap intervals) of sample size n of a
// pass: mix(mix(pass seed word) ^ n).  A pass's intervals follow from its seed
// word alone, and its own random stream is never advanced by them.
constexpr std::uint64_t resampling_seed(std::uint32_t pass_seed, std::uint64_t sample_size) {
    return splitmix64(splitmix64(pass_seed) ^ sample_size);
}

// The seed of the bootstrap of a pass's rarefaction curves.
constexpr std::uint64_t curve_seed(std::uint32_t pass_seed) {
    return splitmix64(splitmix64(pass_seed) ^ 0x6375727665730000ULL);
}

}  // namespace lorvenna
