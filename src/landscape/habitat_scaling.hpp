#pragma once
// Scaling of the habitat surface along the two grid diagonals: for rulers of
// 1, 2, 4 ... cells the variance and the length of the surface profile, and
// their power fits against the ruler length with the fractal dimensions they
// imply.
#include <cstdint>
#include <vector>

#include "statistics/least_squares.hpp"
#include "data/grids.hpp"

namespace lorvenna {

struct ScalingAnalysis {
    // Two entries per scaling class: first diagonal, then second diagonal.
    std::vector<std::int64_t> increments;
    std::vector<double> variances;
    std::vector<double> lengths;
    int classes = 0;
    int points = 0;              // entries in the regression range
    LineFit variance_fit;        // ln variance on ln increment (intercept as written: exp)
    LineFit length_fit;          // ln surface length on ln increment
    double variance_intercept = 0.0, length_intercept = 0.0;
    double variance_dimension = 0.0;  // 2 - slope/2, 0 without a fit
    double length_dimension = 0.0;    // 1 - slope, 0 without a fit
};

// first[i] and second[i] are the habitat values of cells (i+1, i+1) and
// (i+1, L-i) of an L x L grid.
ScalingAnalysis scale_diagonals(const std::vector<double>& first, const std::vector<double>& second);

// The habitat values along the two diagonals of the grid: first[i] of cell
// (i+1, i+1), second[i] of cell (i+1, L-i).
struct DiagonalProfiles {
    std::vector<double> first, second;
};
DiagonalProfiles diagonal_profiles(const SquareArray<float>& habitat);

}  // namespace lorvenna
