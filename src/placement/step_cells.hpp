#pragma once
// The cells of the placing steps to come, for a species without a range.
//
// Without a range every placing step takes exactly two uniform draws,
// whatever happens in it: x = trunc(u side) + 1, then y = trunc(v side) + 1.
// So the cells of all the steps of a species follow from the stream's state
// where the species starts.  They are worked out a batch of steps at a time,
// every state straight from the state before the batch through the
// generator's k-step maps: the lanes do not wait for one another, and the
// vector unit computes two or more at once.  The batch after the one being
// taken is always worked out already, and its cells' memory asked for, a
// whole batch before the loop needs it.  The stream itself learns how far the
// steps went through skip(2 steps).
#include <array>
#include <cstddef>
#include <cstdint>

#include "numerics/random_stream.hpp"

namespace lorvenna::detail {

inline constexpr std::size_t steps_per_batch = 32;  // 64 draws

// The grid indices ((x-1) side + y-1) of the steps_per_batch steps that
// follow the stream state `state`, into `cells`; returns the state after
// them.  The side is below 2^29, so that u side is exact.
std::uint32_t work_out_cells(std::uint32_t state, std::uint32_t side, std::uint64_t* cells);
// The same in plain C++ (what work_out_cells does where the processor has
// no SSE2), and in SSE2's 64-bit lanes where it has; the tests compare both
// with the stream's draws.
std::uint32_t work_out_cells_portably(std::uint32_t state, std::uint32_t side, std::uint64_t* cells);
#if defined(__SSE2__)
std::uint32_t work_out_cells_in_lanes(std::uint32_t state, std::uint32_t side, std::uint64_t* cells);
#endif

// `Ask` is called with every cell as soon as it is worked out, a batch
// before its step: the placing loop asks there for the memory it will touch.
template <class Ask>
class StepCells {
public:
    static constexpr std::size_t batch = steps_per_batch;

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
    void work_out(std::array<std::uint64_t, batch>& cells) {
        base_ = work_out_cells(base_, side_, cells.data());
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
