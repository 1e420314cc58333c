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

    // The generator's step and the uniform a state stands for: the top 24
    // bits over 2^24, a value in [0, 1) that can be exactly 0.
    static constexpr std::uint32_t step(std::uint32_t state) { return 69069u * state + 1u; }
    static double unit(std::uint32_t state) { return static_cast<double>(state >> 8) * 5.9604644775390625e-08; }

    // One step of the generator and its uniform.
    double uniform() {
        seed_ = step(seed_);
        ++uniform_draws_;
        return unit(seed_);
    }

    // Standard normal deviate by Box-Muller, cosine branch only, from the
    // uniforms `draw` returns.  u1 is redrawn while below the single-precision
    // 1e-9, so ln(u1) is always finite and |result| <= sqrt(-2 ln 1e-9).
    template <class Draw>
    static double box_muller(Draw&& draw) {
        double u1 = 0.0;
        while (u1 < static_cast<double>(normal_floor)) u1 = draw();
        const double r = std::sqrt(-2.0 * std::log(u1));
        const double u2 = draw();
        return r * std::cos(static_cast<double>(two_pi_single) * u2);
    }

    double normal() {
        ++normal_draws_;
        return box_muller([this] { return uniform(); });
    }

    std::uint64_t uniform_draws() const { return uniform_draws_; }
    std::uint64_t normal_draws() const { return normal_draws_; }

private:
    std::uint32_t seed_;
    std::uint64_t uniform_draws_ = 0;
    std::uint64_t normal_draws_ = 0;
};

}  // namespace lorvenna
