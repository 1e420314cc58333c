#pragma once
// The program's single random stream: a 32-bit linear congruential generator
// (multiplier 69069, increment 1) whose whole state is one seed word.  Every
// random decision of a run draws from it in a fixed order, so a seed word fixes
// the run.
//
// Stepped one draw after another, the generator is a serial chain: each state
// waits for the multiply and add of the one before.  The stream itself has no
// such limit: k steps of s -> 69069 s + 1 are again an affine map
// s -> A_k s + C_k (mod 2^32), so every state of a block follows from the
// state before the block on its own, in a lane of its own, and the processor
// computes several lanes with one vector instruction.  The stream fills a
// small buffer a block at a time and hands the states out strictly in order:
// every draw, its value and the number of draws are those of the plain step,
// and every stage (grid builders, shuffle, unit positions) reads the same
// buffer.  The placing loop works the states of its steps out with the same
// maps from seed() and then takes as many draws with skip().  The uniform
// draw is inlined: it sits in the innermost loops.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "numerics/constants.hpp"

namespace lorvenna {

// The generator's multiplier; the increment is 1.
inline constexpr std::uint32_t stream_multiplier = 69069u;

// The affine map of k steps of the generator, s -> factor s + increment (mod 2^32).
struct StreamJump {
    std::uint32_t factor = 1u, increment = 0u;
    constexpr std::uint32_t operator()(std::uint32_t state) const { return factor * state + increment; }
};
constexpr StreamJump stream_jump(std::size_t k) {
    StreamJump j;
    for (std::size_t i = 0; i < k; ++i) j = StreamJump{stream_multiplier * j.factor, stream_multiplier * j.increment + 1u};
    return j;
}
// The same map for any k, by squaring: the maps of 1, 2, 4, ... steps are
// composed where k has a bit (maps of one generator commute).
constexpr StreamJump stream_jump_far(std::uint64_t k) {
    StreamJump result, power{stream_multiplier, 1u};
    for (; k != 0; k >>= 1) {
        if (k & 1u) result = StreamJump{power.factor * result.factor, power.factor * result.increment + power.increment};
        power = StreamJump{power.factor * power.factor, power.factor * power.increment + power.increment};
    }
    return result;
}

class RandomStream {
public:
    // Draws per refill.
    static constexpr std::size_t block = 64;

    explicit RandomStream(std::uint32_t seed = 0) { start_from(seed); }

    // The seed word at the current position: the state after the last draw.
    std::uint32_t seed() const { return states_[next_]; }
    // Goes on from `seed`; the draw counters keep counting.
    void reseed(std::uint32_t seed) {
        drawn_before_ += next_;
        start_from(seed);
    }

    // The generator's step and the uniform a state stands for: the top 24
    // bits over 2^24, a value in [0, 1) that can be exactly 0.
    static constexpr std::uint32_t step(std::uint32_t state) { return stream_multiplier * state + 1u; }
    static double unit(std::uint32_t state) { return static_cast<double>(state >> 8) * 5.9604644775390625e-08; }

    // The next draw of the stream.
    double uniform() {
        const std::uint32_t state = states_[++next_];
        if (next_ == block) [[unlikely]] refill();
        return unit(state);
    }

    // Takes `draws` draws without their values, as that many calls of
    // uniform() would: for a loop that worked the states out itself from
    // seed() (the placing steps) and tells the stream how far it went.
    void skip(std::uint64_t draws) {
        if (draws < block - next_) {
            next_ += draws;
            return;
        }
        const std::uint32_t state = stream_jump_far(draws)(seed());
        drawn_before_ += next_ + draws;
        start_from(state);
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

    std::uint64_t uniform_draws() const { return drawn_before_ + next_; }
    std::uint64_t normal_draws() const { return normal_draws_; }

private:
    // The maps of 1 .. block steps: every state of a block straight from the
    // state before it.
    static constexpr std::array<StreamJump, block> jumps = [] {
        std::array<StreamJump, block> row{};
        for (std::size_t k = 0; k < block; ++k) row[k] = stream_jump(k + 1);
        return row;
    }();

    // Fills states_[from + 1 .. from + block] from states_[from], each state
    // in a lane of its own: no state waits for another.
    void fill_after(std::size_t from) {
        const std::uint32_t state = states_[from];
        for (std::size_t k = 0; k < block; ++k) states_[from + 1 + k] = jumps[k](state);
    }
    void start_from(std::uint32_t state) {
        states_[0] = state;
        fill_after(0);
        next_ = 0;
    }
    // The block is used up: its last state starts the next.  Out of line:
    // once every block, it would only crowd the loops that draw.
    [[gnu::noinline]] void refill() {
        start_from(states_[block]);
        drawn_before_ += block;
    }

    // states_[next_] is the state after the last draw, states_[next_ + k] the
    // state after k more; next_ < block between draws.
    std::array<std::uint32_t, block + 1> states_;
    std::uint64_t next_ = 0;
    std::uint64_t drawn_before_ = 0;  // uniform draws before states_[0]
    std::uint64_t normal_draws_ = 0;
};

}  // namespace lorvenna
