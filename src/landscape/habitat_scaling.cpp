#include "landscape/habitat_scaling.hpp"

#include <algorithm>
#include <cmath>


namespace lorvenna {
namespace {

struct ClassMeasure {
    double variance = 0.0;
    double length = 0.0;
};

// Consecutive pairs (j, j+h), j = 1, 1+h, 1+2h ... of one profile.
ClassMeasure measure(const std::vector<double>& v, std::size_t h, double mean, std::size_t pairs) {
    ClassMeasure m;
    if (pairs < 2) return m;
    double ss = 0.0;
    for (std::size_t p = 0; p < pairs; ++p) {
        const std::size_t j = p * h;
        const double d = std::fabs(v[j + h] - v[j]) - mean;
        ss += d * d;
    }
    m.variance = ss / static_cast<double>(pairs);
    m.length = static_cast<double>(pairs) * mean;
    return m;
}

double mean_difference(const std::vector<double>& v, std::size_t h, std::size_t pairs) {
    if (pairs < 2) return 0.0;
    double sum = 0.0;
    for (std::size_t p = 0; p < pairs; ++p) {
        const std::size_t j = p * h;
        sum += std::fabs(v[j + h] - v[j]);
    }
    return sum / static_cast<double>(pairs);
}

}  // namespace

ScalingAnalysis scale_diagonals(const std::vector<double>& first, const std::vector<double>& second) {
    ScalingAnalysis s;
    const std::size_t L = std::min(first.size(), second.size());
    for (std::size_t h = 1; h <= L && L > 0; h *= 2) {
        const std::size_t pairs = (L - 1) / h;  // j + h <= L for j = 1, 1+h, ...
        const double m1 = mean_difference(first, h, pairs);
        const double m2 = mean_difference(second, h, pairs);
        if (m1 == 0.0 && m2 == 0.0) break;
        const ClassMeasure c1 = measure(first, h, m1, pairs);
        const ClassMeasure c2 = measure(second, h, m2, pairs);
        s.increments.push_back(static_cast<std::int64_t>(h));
        s.increments.push_back(static_cast<std::int64_t>(h));
        s.variances.push_back(c1.variance);
        s.variances.push_back(c2.variance);
        s.lengths.push_back(c1.length);
        s.lengths.push_back(c2.length);
        ++s.classes;
    }

    // Regression range: from the first class whose second-diagonal variance
    // exceeds 1e-6 up to the class of the largest second-diagonal variance.
    int from = -1, to = -1;
    double largest = 0.0;
    for (int c = 0; c < s.classes; ++c) {
        const double v = s.variances[static_cast<std::size_t>(2 * c + 1)];
        if (from < 0 && v > 0.000001) from = c;
        if (to < 0 || v > largest) {
            largest = v;
            to = c;
        }
    }
    if (from < 0 || to < from) return s;
    s.points = 2 * (to - from + 1);

    // Entries whose variance (or surface length) is 0 cannot be logged; they
    // are left out of their fit, and each fit averages over its own points.
    std::vector<double> vx, vy, lx, ly;
    for (int e = 2 * from; e < 2 * (to + 1); ++e) {
        const auto k = static_cast<std::size_t>(e);
        const double x = std::log(static_cast<double>(s.increments[k]));
        if (s.variances[k] > 0.0) {
            vx.push_back(x);
            vy.push_back(std::log(s.variances[k]));
        }
        if (s.lengths[k] > 0.0) {
            lx.push_back(x);
            ly.push_back(std::log(s.lengths[k]));
        }
    }
    auto fit_if_enough = [](const std::vector<double>& x, const std::vector<double>& y) {
        double sum_x = 0.0;
        for (const double v : x) sum_x += v;
        if (x.size() < 4 || !(sum_x > 0.0)) return LineFit{};
        return fit_line(x, y);
    };
    s.variance_fit = fit_if_enough(vx, vy);
    s.length_fit = fit_if_enough(lx, ly);
    if (s.variance_fit.made && std::isfinite(std::exp(s.variance_fit.intercept))) {
        s.variance_intercept = std::exp(s.variance_fit.intercept);
        s.variance_dimension = 2.0 - s.variance_fit.slope / 2.0;
    } else {
        s.variance_fit = LineFit{};
    }
    if (s.length_fit.made && std::isfinite(std::exp(s.length_fit.intercept))) {
        s.length_intercept = std::exp(s.length_fit.intercept);
        s.length_dimension = 1.0 - s.length_fit.slope;
    } else {
        s.length_fit = LineFit{};
    }
    return s;
}

DiagonalProfiles diagonal_profiles(const SquareArray<float>& habitat) {
    const int L = habitat.side;
    DiagonalProfiles d;
    d.first.resize(static_cast<std::size_t>(std::max(L, 0)));
    d.second.resize(d.first.size());
    for (int i = 1; i <= L; ++i) {
        d.first[static_cast<std::size_t>(i - 1)] = habitat.at(i, i);
        d.second[static_cast<std::size_t>(i - 1)] = habitat.at(i, L - i + 1);
    }
    return d;
}

}  // namespace lorvenna
