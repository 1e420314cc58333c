#pragma once
// The cells of the placing steps to come, for a species without a range.
//
// Without a range every placing step takes exactly two uniform draws,
// whatever happens in it: x = trunc(u side) + 1, then y = trunc(v side) + 1.
// So the cells of all the steps of a species follow from the stream's state
// where the species starts.  They are worked out a batch of steps at a time,
// every state straight from the state before the batch through the
// generator's k-step maps: the lanes do not wait for one another, and the
// compiler computes several with one vector instruction.  The batch after the
// one being taken is always worked out already, so that the placing loop can
// ask for the memory of its cells a whole batch before it needs them.  The
// stream itself learns how far the steps went through skip(2 steps).
#include <array>
#include <cstddef>
#include <cstdint>

#include "numerics/random_stream.hpp"

namespace lorvenna::detail {

// `Ask` is called with every cell as soon as it is worked out, a batch
// before its step: the placing loop asks there for the memory it will touch.
template <class Ask>
class StepCells {
public:
    static constexpr std::size_t batch = 32;  // steps per batch: 64 draws

    // `state`: the stream's state before the first step (RandomStream::seed()).
    StepCells(std::uint32_t state, int side, Ask ask)
        : base_(state), side_(side > 0 ? static_cast<std::uint32_t>(side) : 0u), ask_(ask) {
        work_out(cells_[0]);
        work_out(cells_[1]);
    }

    // The grid indices ((x-1) side + y-1) of the batch being taken.
    const std::uint64_t* now() const { return cells_[now_].data(); }
    // The batch ahead is taken next; the one after it is worked out in
    // place of the one taken.
    void next_batch() {
        work_out(cells_[now_]);
        now_ ^= 1u;
    }

private:
    // The maps from the state before a batch to the states of its x draws
    // (draws 1, 3, 5, ...) and y draws (2, 4, 6, ...), and to the state after it.
    struct Maps {
        std::array<std::uint32_t, batch> x_factor, x_increment, y_factor, y_increment;
        StreamJump whole;
    };
    static constexpr Maps maps = [] {
        Maps m{};
        for (std::size_t j = 0; j < batch; ++j) {
            const StreamJump x = stream_jump(2 * j + 1), y = stream_jump(2 * j + 2);
            m.x_factor[j] = x.factor;
            m.x_increment[j] = x.increment;
            m.y_factor[j] = y.factor;
            m.y_increment[j] = y.increment;
        }
        m.whole = stream_jump(2 * batch);
        return m;
    }();

    // trunc(u side) for the uniform u = (state >> 8) / 2^24: u side is exact
    // in double precision (24 bits times a side below 2^29), so its
    // truncation is (state >> 8) side / 2^24 in whole numbers: the high half
    // of the 64-bit product of (state >> 8) 2^8 and the side.
    std::uint32_t coordinate(std::uint32_t state) const {
        return static_cast<std::uint32_t>((std::uint64_t{state & 0xFFFFFF00u} * side_) >> 32);
    }

    // Two loops the compiler vectorises: the states and coordinates in 32-bit
    // lanes (a coordinate is below the side), then the cells.  Measured on
    // this machine, about half the time of the same work unrolled in scalar
    // code, whose five multiplies a step wait for the one scalar multiplier.
    // Out of line: inlined into the placing loop, the compiler lost sight of
    // the 32-bit side and multiplied in full 64 bits (twice the instructions).
    [[gnu::noinline]] void work_out(std::array<std::uint64_t, batch>& cells) {
        const std::uint32_t s = base_;
        std::array<std::uint32_t, batch> xs, ys;
        for (std::size_t j = 0; j < batch; ++j) {
            xs[j] = coordinate(maps.x_factor[j] * s + maps.x_increment[j]);
            ys[j] = coordinate(maps.y_factor[j] * s + maps.y_increment[j]);
        }
        for (std::size_t j = 0; j < batch; ++j) cells[j] = std::uint64_t{xs[j]} * side_ + ys[j];
        base_ = maps.whole(s);
#pragma GCC unroll 32
        for (std::size_t j = 0; j < batch; ++j) ask_(cells[j]);
    }

    std::uint32_t base_;  // the state before the batch to be worked out next
    std::uint32_t side_;
    Ask ask_;
    std::array<std::array<std::uint64_t, batch>, 2> cells_;
    unsigned now_ = 0;  // which of cells_ is the batch being taken
};

}  // namespace lorvenna::detail
