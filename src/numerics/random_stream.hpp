#pragma once
// The program's single random stream: a 32-bit linear congruential generator
// (multiplier 69069, increment 1) whose whole state is one seed word.  Every
// random decision of a run draws from it in a fixed order, so a seed word fixes
// the run.  The uniform step is inlined: it sits in the innermost placing loop.
#include <cmath>
#include <cstdint>

#include "numerics/constants.hpp"

namespace lorvenna {

class RandomStream {
public:
    explicit RandomStream(std::uint32_t seed = 0) : seed_(seed) {}

    std::uint32_t seed() const { return seed_; }
    void reseed(std::uint32_t seed) { seed_ = seed; }

    // One step of the generator: the top 24 bits of the new state over 2^24,
    // a value in [0, 1) that can be exactly 0.
    double uniform() {
        seed_ = 69069u * seed_ + 1u;
        ++uniform_draws_;
        return static_cast<double>(seed_ >> 8) * 5.9604644775390625e-08;
    }

    // Standard normal deviate by Box-Muller, cosine branch only.  u1 is redrawn
    // while below the single-precision 1e-9, so ln(u1) is always finite and
    // |result| <= sqrt(-2 ln 1e-9).
    double normal() {
        ++normal_draws_;
        double u1 = 0.0;
        while (u1 < static_cast<double>(normal_floor)) u1 = uniform();
        const double r = std::sqrt(-2.0 * std::log(u1));
        const double u2 = uniform();
        return r * std::cos(static_cast<double>(two_pi_single) * u2);
    }

    std::uint64_t uniform_draws() const { return uniform_draws_; }
    std::uint64_t normal_draws() const { return normal_draws_; }

private:
    std::uint32_t seed_;
    std::uint64_t uniform_draws_ = 0;
    std::uint64_t normal_draws_ = 0;
};

}  // namespace lorvenna
