#include "statistics/least_squares.hpp"

#include <algorithm>
#include <cmath>

namespace lorvenna {

LineFit fit_line(const std::vector<double>& x, const std::vector<double>& y) {
    LineFit fit;
    const std::size_t n = std::min(x.size(), y.size());
    fit.points = static_cast<int>(n);
    if (n < 2) return fit;
    double x_min = x[0], x_max = x[0];
    double sx = 0.0, sy = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!std::isfinite(x[k]) || !std::isfinite(y[k])) return fit;
        x_min = std::min(x_min, x[k]);
        x_max = std::max(x_max, x[k]);
        sx += x[k];
        sy += y[k];
    }
    if (!(x_max > x_min)) return fit;
    const double mx = sx / static_cast<double>(n);
    const double my = sy / static_cast<double>(n);
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        const double dx = x[k] - mx;
        const double dy = y[k] - my;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
    }
    if (!(sxx > 0.0)) return fit;
    const double slope = sxy / sxx;
    const double intercept = my - slope * mx;
    double explained = 0.0;
    if (syy > 0.0) {
        explained = std::min(1.0, (sxy * sxy) / (sxx * syy));
        fit.explained_made = true;
    }
    if (!std::isfinite(slope) || !std::isfinite(intercept) || !std::isfinite(explained)) {
        fit.explained_made = false;
        return fit;
    }
    fit.made = true;
    fit.slope = slope;
    fit.intercept = intercept;
    fit.explained = explained;
    return fit;
}

}  // namespace lorvenna
