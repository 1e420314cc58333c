#pragma once
// Mean and standard deviation (divisor n - 1) of the finite values given;
// NaN where there are too few of them (no value; one value for the SD).
#include <cmath>
#include <vector>

namespace lorvenna {

struct MeanSpread {
    double mean = std::nan("");
    double sd = std::nan("");
    int count = 0;
};

inline MeanSpread mean_spread(const std::vector<double>& values) {
    MeanSpread m;
    double sum = 0.0;
    for (const double v : values)
        if (std::isfinite(v)) sum += v, ++m.count;
    if (m.count == 0) return m;
    m.mean = sum / m.count;
    if (m.count < 2) return m;
    double squares = 0.0;
    for (const double v : values)
        if (std::isfinite(v)) squares += (v - m.mean) * (v - m.mean);
    m.sd = std::sqrt(squares / (m.count - 1));
    return m;
}

}  // namespace lorvenna
