#include "statistics/diversity_curve.hpp"

#include <algorithm>
#include <cmath>

#include "statistics/bootstrap_community.hpp"
#include "statistics/hill_numbers.hpp"
#include "statistics/interval_estimate.hpp"
#include "statistics/k_log_k_expectation.hpp"
#include "statistics/mean_spread.hpp"

namespace lorvenna {
namespace {

const double nan = std::nan("");

// R's seq(from, to, length.out = count), element by element.
std::vector<double> r_sequence(double from, double to, int count) {
    std::vector<double> out;
    if (count <= 0) return out;
    if (count == 1) return {from};
    if (count == 2) return {from, to};
    if (from == to) return std::vector<double>(static_cast<std::size_t>(count), from);
    const int n1 = count - 1;
    const double by = (to - from) / n1;
    out.push_back(from);
    for (int i = 1; i < n1; ++i) out.push_back(from + i * by);
    out.push_back(to);
    return out;
}

// ln k!, for the ratios of binomial coefficients.
double log_factorial(std::int64_t k) { return std::lgamma(static_cast<double>(k) + 1.0); }

struct Interpolated {
    double q0, q1, q2, coverage;
};

Interpolated interpolate(const FrequencyCounts& c, std::int64_t m, const KLogK& klk) {
    const std::int64_t n = c.size;
    const double all_part = log_factorial(n - m) - log_factorial(n);             // C(., m) / C(n, m)
    const double but_one_part = log_factorial(n - 1 - m) - log_factorial(n - 1);  // C(., m) / C(n - 1, m)
    const double nn = static_cast<double>(n), mm = static_cast<double>(m), u = static_cast<double>(c.total);
    const double scale = c.incidence ? mm * u / nn : mm;  // m, or U_t = t U / T
    double q0 = 0.0, entropy = 0.0, squares = 0.0, missed = 0.0;
    // C(n - x, m) / C(n, m) and C(n - x, m) / C(n - 1, m) by ln k!: the part of
    // n and n - 1 is the same for every species at this size.
    for (const FrequencyClass& k : c.classes) {
        const double f = static_cast<double>(k.species), x = static_cast<double>(k.times);
        const double unseen_part = n - k.times >= m ? log_factorial(n - k.times) - log_factorial(n - k.times - m) : 0.0;
        const auto ratio = [&](double part) { return n - k.times < m ? 0.0 : std::exp(unseen_part + part); };
        q0 += f * (1.0 - ratio(all_part));
        const double mean = mm * x / nn;
        entropy += f * (hypergeometric_k_log_k(n, k.times, m, klk) - mean * std::log(scale)) / scale;
        const double variance = n > 1 ? mean * (1.0 - x / nn) * (nn - mm) / (nn - 1.0) : 0.0;
        squares += f * (variance + mean * mean);
        missed += f * x / u * ratio(but_one_part);
    }
    return {q0, std::exp(-entropy), scale * scale / squares, 1.0 - missed};
}

// The curve of one sample at the given sizes: values[q][i] and coverage[i].
struct CurveValues {
    std::array<std::vector<double>, 3> diversity;
    std::vector<double> coverage;
};

void curve_values(const FrequencyCounts& c, const std::vector<std::int64_t>& sizes, const KLogK& t, CurveValues& out) {
    for (auto& v : out.diversity) v.assign(sizes.size(), nan);
    out.coverage.assign(sizes.size(), nan);
    if (!c.valid || c.observed == 0) return;
    const HillNumbers h = hill_numbers(c);
    const double n = static_cast<double>(c.size), u = static_cast<double>(c.total);
    const double f1 = static_cast<double>(c.f(1));
    double pairs = 0.0;
    for (const FrequencyClass& k : c.classes)
        pairs += static_cast<double>(k.species) * static_cast<double>(k.times) * static_cast<double>(k.times - 1);
    std::array<double, 2> rate = {nan, nan};  // b of the extrapolation of q = 0, 1
    bool rates_made = false;
    const double deficit = coverage_deficit_rate(c);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::int64_t m = sizes[i];
        const double mm = static_cast<double>(m);
        if (m < c.size) {
            const Interpolated v = interpolate(c, m, t);
            out.diversity[0][i] = v.q0;
            out.diversity[1][i] = v.q1;
            out.diversity[2][i] = v.q2;
            out.coverage[i] = v.coverage;
        } else if (m == c.size) {
            for (int q = 0; q < 3; ++q) out.diversity[q][i] = h.observed[q];
            out.coverage[i] = h.coverage;
        } else {
            if (!rates_made) {
                rates_made = true;
                if (c.size >= 2) {
                    const Interpolated before = interpolate(c, c.size - 1, t);
                    const double previous[2] = {before.q0, before.q1};
                    for (int q = 0; q < 2; ++q)
                        rate[q] = h.estimated[q] != previous[q]
                                      ? (h.observed[q] - previous[q]) / (h.estimated[q] - previous[q])
                                      : 0.0;
                }
            }
            for (int q = 0; q < 2; ++q)
                out.diversity[q][i] =
                    h.observed[q] + (h.estimated[q] - h.observed[q]) * (1.0 - std::pow(1.0 - rate[q], mm - n));
            out.diversity[2][i] = c.incidence
                                      ? 1.0 / ((1.0 / mm) * (n / u) + (1.0 - 1.0 / mm) * pairs / (u * u) / (1.0 - 1.0 / n))
                                      : 1.0 / (1.0 / mm + (1.0 - 1.0 / mm) * pairs / n / (n - 1.0));
            out.coverage[i] = 1.0 - f1 / u * std::pow(deficit, mm - n + 1.0);
        }
    }
}

}  // namespace

std::vector<std::int64_t> curve_sizes(std::int64_t reference, std::int64_t endpoint, int knots) {
    std::vector<double> raw;
    const double n = static_cast<double>(reference), end = static_cast<double>(endpoint);
    if (endpoint <= reference) {
        raw = r_sequence(1.0, end, knots);
    } else {
        raw = r_sequence(1.0, n - 1.0, knots / 2 - 1);
        raw.push_back(n);
        const std::vector<double> beyond = r_sequence(n + 1.0, end, knots / 2);
        raw.insert(raw.end(), beyond.begin(), beyond.end());
    }
    std::vector<std::int64_t> sizes;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto m = i == 0 ? std::int64_t{1} : static_cast<std::int64_t>(std::floor(raw[i]));
        if (m >= 1 && std::find(sizes.begin(), sizes.end(), m) == sizes.end()) sizes.push_back(m);
    }
    return sizes;
}

std::vector<CurvePoint> diversity_curve(const FrequencyCounts& counts, const std::vector<std::int64_t>& sizes,
                                        int replicates, std::uint64_t seed) {
    std::vector<CurvePoint> curve(sizes.size());
    const KLogK tables(counts.valid ? counts.size : 0);
    CurveValues point;
    curve_values(counts, sizes, tables, point);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        CurvePoint& p = curve[i];
        p.size = sizes[i];
        p.part = sizes[i] < counts.size ? CurvePart::interpolated
                 : sizes[i] == counts.size ? CurvePart::observed
                                           : CurvePart::extrapolated;
        for (int q = 0; q < 3; ++q) p.diversity[q] = point.diversity[q][i];
        p.coverage = point.coverage[i];
        p.lower95.fill(nan);
        p.upper95.fill(nan);
        p.coverage_lower95 = p.coverage_upper95 = nan;
    }
    if (replicates <= 0 || !counts.valid || counts.observed == 0) return curve;

    // values[point][replicate] for q = 0, 1, 2 and the coverage.
    std::array<std::vector<std::vector<double>>, 4> values;
    for (auto& v : values) {
        v.assign(sizes.size(), std::vector<double>());
        for (auto& at_size : v) at_size.reserve(static_cast<std::size_t>(replicates));
    }
    const std::vector<double> community = bootstrap_community(counts);
    ResamplingGenerator generator(seed);
    std::vector<std::int64_t> scratch;
    FrequencyCounts sample;
    CurveValues replicate;
    for (int b = 0; b < replicates; ++b) {
        if (!draw_bootstrap_sample(counts, community, generator, scratch, sample)) continue;
        curve_values(sample, sizes, tables, replicate);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            for (int q = 0; q < 3; ++q) values[q][i].push_back(replicate.diversity[q][i]);
            values[3][i].push_back(replicate.coverage[i]);
        }
    }
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        CurvePoint& p = curve[i];
        for (int q = 0; q < 3; ++q) {
            const double half = normal_quantile_975 * mean_spread(values[q][i]).sd;
            p.lower95[q] = std::fmax(0.0, p.diversity[q] - half);
            p.upper95[q] = p.diversity[q] + half;
            if (std::isnan(half) || std::isnan(p.diversity[q])) p.lower95[q] = p.upper95[q] = nan;
        }
        const double half = normal_quantile_975 * mean_spread(values[3][i]).sd;
        p.coverage_lower95 = std::fmax(0.0, p.coverage - half);
        p.coverage_upper95 = std::fmin(1.0, p.coverage + half);
        if (std::isnan(half) || std::isnan(p.coverage)) p.coverage_lower95 = p.coverage_upper95 = nan;
    }
    return curve;
}

}  // namespace lorvenna
