#pragma once
// Allocation of the N x N arrays of a model.  A side that cannot be held ends
// the run with a message naming the grid size and the memory it asks for,
// instead of an uncaught allocation failure.
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

#include "core/program_end.hpp"
#include "data/grids.hpp"

namespace lorvenna {

[[noreturn]] void end_for_grid_size(int side, std::uint64_t bytes, const char* what);

template <typename T>
void allocate_grid(SquareArray<T>& array, int side, T value, const char* what) {
    if (side < 0) end_program(exit_error, " Grid side out of range: " + std::to_string(side));
    const auto n = static_cast<std::uint64_t>(side);
    try {
        array.allocate(side, value);
    } catch (const std::bad_alloc&) {
        end_for_grid_size(side, n * n * sizeof(T), what);
    } catch (const std::length_error&) {
        end_for_grid_size(side, n * n * sizeof(T), what);
    }
}

}  // namespace lorvenna
