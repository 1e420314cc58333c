#include "numerics/binomial_draw.hpp"

#include <cmath>

namespace lorvenna {
namespace {

// ln k! - [(k + 1/2) ln(k + 1) - (k + 1) + ln(2 pi)/2]: the remainder of
// Stirling's series, tabulated for small k.
double stirling_remainder(double k) {
    static constexpr double table[10] = {0.08106146679532726, 0.04134069595540929, 0.02767792568499834,
                                         0.02079067210376509, 0.01664469118982119, 0.01387612882307075,
                                         0.01189670994589177, 0.01041126526197209, 0.009255462182712733,
                                         0.008330563433362871};
    if (k < 10.0) return table[static_cast<int>(k)];
    const double r = 1.0 / (k + 1.0), r2 = r * r;
    return (1.0 / 12.0 - (1.0 / 360.0 - 1.0 / 1260.0 * r2) * r2) * r;
}

// Inversion for a small mean: P(0) = q^n, P(k + 1) = P(k) ((n + 1) s / (k + 1) - s), s = p/q.
std::int64_t binomial_by_inversion(std::int64_t n, double p, ResamplingGenerator& g) {
    const double q = 1.0 - p, s = p / q, a = (static_cast<double>(n) + 1.0) * s;
    const double start = std::pow(q, static_cast<double>(n));
    for (;;) {
        double r = start, u = g.uniform();
        std::int64_t x = 0;
        while (u > r) {
            u -= r;
            ++x;
            if (x > n) break;  // the tail lost to rounding: draw again
            r *= a / static_cast<double>(x) - s;
        }
        if (x <= n) return x;
    }
}

// BTRD for p <= 1/2 and n p >= 10 (Hormann 1993, steps 0 to 3.3).
std::int64_t binomial_by_rejection(std::int64_t trials, double p, ResamplingGenerator& g) {
    const double n = static_cast<double>(trials);
    const double q = 1.0 - p, npq = n * p * q, spq = std::sqrt(npq);
    const double m = std::floor((n + 1.0) * p), r = p / q, nr = (n + 1.0) * r;
    const double b = 1.15 + 2.53 * spq, a = -0.0873 + 0.0248 * b + 0.01 * p, c = n * p + 0.5;
    const double alpha = (2.83 + 5.1 / b) * spq, vr = 0.92 - 4.2 / b, urvr = 0.86 * vr;
    for (;;) {
        double v = g.uniform(), u;
        if (v <= urvr) {
            u = v / vr - 0.43;
            return static_cast<std::int64_t>(std::floor((2.0 * a / (0.5 - std::fabs(u)) + b) * u + c));
        }
        if (v >= vr) {
            u = g.uniform() - 0.5;
        } else {
            u = v / vr - 0.93;
            u = (u < 0.0 ? -0.5 : 0.5) - u;
            v = g.uniform() * vr;
        }
        const double us = 0.5 - std::fabs(u);
        const double k = std::floor((2.0 * a / us + b) * u + c);
        if (k < 0.0 || k > n) continue;
        v = v * alpha / (a / (us * us) + b);
        const double km = std::fabs(k - m);
        if (km <= 15.0) {  // the ratio f(k)/f(m) by recursion
            double f = 1.0;
            if (m < k) {
                for (double i = m + 1.0; i <= k; i += 1.0) f *= nr / i - r;
            } else if (m > k) {
                for (double i = k + 1.0; i <= m; i += 1.0) v *= nr / i - r;
            }
            if (v <= f) return static_cast<std::int64_t>(k);
            continue;
        }
        v = std::log(v);  // squeeze, then the exact test with Stirling's remainders
        const double rho = (km / npq) * (((km / 3.0 + 0.625) * km + 1.0 / 6.0) / npq + 0.5);
        const double t = -km * km / (2.0 * npq);
        if (v < t - rho) return static_cast<std::int64_t>(k);
        if (v > t + rho) continue;
        const double nm = n - m + 1.0;
        const double h = (m + 0.5) * std::log((m + 1.0) / (r * nm)) + stirling_remainder(m) + stirling_remainder(n - m);
        const double nk = n - k + 1.0;
        if (v <= h + (n + 1.0) * std::log(nm / nk) + (k + 0.5) * std::log(nk * r / (k + 1.0)) - stirling_remainder(k) -
                     stirling_remainder(n - k))
            return static_cast<std::int64_t>(k);
    }
}

}  // namespace

std::int64_t binomial_draw(std::int64_t trials, double p, ResamplingGenerator& generator) {
    if (trials <= 0 || !(p > 0.0)) return 0;
    if (p >= 1.0) return trials;
    if (p > 0.5) return trials - binomial_draw(trials, 1.0 - p, generator);
    if (static_cast<double>(trials) * p < 10.0) return binomial_by_inversion(trials, p, generator);
    return binomial_by_rejection(trials, p, generator);
}

void multinomial_draw(std::int64_t trials, const std::vector<double>& probabilities, ResamplingGenerator& generator,
                      std::vector<std::int64_t>& counts) {
    counts.assign(probabilities.size(), 0);
    double rest = 0.0;
    std::size_t last = probabilities.size();
    for (std::size_t i = 0; i < probabilities.size(); ++i)
        if (probabilities[i] > 0.0) rest += probabilities[i], last = i;
    if (last == probabilities.size()) return;  // no category can receive a trial
    std::int64_t left = trials;
    for (std::size_t i = 0; i < last && left > 0; ++i) {
        const double p = probabilities[i] > 0.0 ? probabilities[i] : 0.0;
        if (p > 0.0) {
            counts[i] = binomial_draw(left, rest > p ? p / rest : 1.0, generator);
            left -= counts[i];
            rest -= p;
        }
    }
    counts[last] = left;  // the last category with mass takes what is left
}

}  // namespace lorvenna
