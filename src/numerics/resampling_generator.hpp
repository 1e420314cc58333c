#pragma once
// A small generator for the resampling of estimators (bootstrap replicates of
// a sample), kept apart from the program's own random stream: the model's
// draws have a fixed order, and a bootstrap must never advance them.
//
// xoshiro256** (Blackman and Vigna 2018) with its 256-bit state filled by
// SplitMix64 from the caller's 64-bit seed, so one seed gives one sequence on
// every machine.  uniform() takes the upper 53 bits: a double in [0, 1).
#include <cstdint>

#include "numerics/run_seeds.hpp"

namespace lorvenna {

class ResamplingGenerator {
public:
    explicit ResamplingGenerator(std::uint64_t seed) {
        std::uint64_t x = seed;
        for (std::uint64_t& word : state_) {
            word = splitmix64(x);
            x += 0x9E3779B97F4A7C15ULL;
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotate(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotate(state_[3], 45);
        return result;
    }

    // Uniform on [0, 1) with 53 random bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4];
};

}  // namespace lorvenna
