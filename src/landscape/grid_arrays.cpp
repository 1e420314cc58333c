#include "landscape/grid_arrays.hpp"

namespace lorvenna {

void end_for_grid_size(int side, std::uint64_t bytes, const char* what) {
    end_program(exit_error, " Not enough memory for the " + std::string(what) + " of a grid of " +
                                std::to_string(side) + " x " + std::to_string(side) + " cells: it needs " +
                                std::to_string(bytes >> 20) + " MiB");
}

}  // namespace lorvenna
