#pragma once
// The one ordinary least-squares line fit of the program, y = intercept + slope*x,
// shared by the species-area, endemics-area and scaling fits.
#include <vector>

namespace lorvenna {

struct LineFit {
    bool made = false;      // false: fewer than two distinct x, or a non-finite result
    int points = 0;         // points given to the fit
    double intercept = 0.0;
    double slope = 0.0;
    double explained = 0.0;  // share of explained variance r^2; 0 when y does not vary
    bool explained_made = false;  // r^2 is defined: y varies
};

// Fits the points (x[k], y[k]).  A line needs at least two distinct x; without
// them, or when a sum is not finite, every result stays 0.  The sums are taken
// about the means, so nearly equal x lose no precision.
LineFit fit_line(const std::vector<double>& x, const std::vector<double>& y);

}  // namespace lorvenna
