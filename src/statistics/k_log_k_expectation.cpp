#include "statistics/k_log_k_expectation.hpp"

#include <algorithm>
#include <cmath>

namespace lorvenna {
namespace {

// The exact sums stay below a mean of 10^4, whose terms reach about 18
// standard deviations (at most 100 each) beyond it; a table of 2^15 entries
// holds them, and the few beyond are computed.
constexpr std::int64_t table_size = std::int64_t{1} << 15;

// The central moments mu_2 .. mu_6 from the cumulants k2 .. k6.
CentralMoments from_cumulants(double mean, double k2, double k3, double k4, double k5, double k6) {
    CentralMoments c;
    c.mean = mean;
    c.central[0] = k2;
    c.central[1] = k3;
    c.central[2] = k4 + 3.0 * k2 * k2;
    c.central[3] = k5 + 10.0 * k2 * k3;
    c.central[4] = k6 + 15.0 * k2 * k4 + 10.0 * k3 * k3 + 15.0 * k2 * k2 * k2;
    return c;
}

}  // namespace

KLogK::KLogK(std::int64_t largest) : table_(static_cast<std::size_t>(std::clamp<std::int64_t>(largest, 0, table_size)) + 1) {
    for (std::size_t k = 2; k < table_.size(); ++k) table_[k] = static_cast<double>(k) * std::log(static_cast<double>(k));
}

double KLogK::operator()(std::int64_t k) const {
    if (k < static_cast<std::int64_t>(table_.size())) return table_[static_cast<std::size_t>(k)];
    const double x = static_cast<double>(k);
    return x * std::log(x);
}

CentralMoments hypergeometric_moments(std::int64_t population, std::int64_t marked, std::int64_t draws) {
    const double n = static_cast<double>(population), x = static_cast<double>(marked), m = static_cast<double>(draws);
    const double k2 = m * (x / n) * (1.0 - x / n) * (n - m) / (n - 1.0);
    const double k3 = k2 * (n - 2.0 * x) * (n - 2.0 * m) / (n * (n - 2.0));
    const double a = m * x * (n - x) * (n - m);
    const double excess = ((n - 1.0) * n * n * (n * (n + 1.0) - 6.0 * x * (n - x) - 6.0 * m * (n - m)) +
                           6.0 * a * (5.0 * n - 6.0)) /
                          (a * (n - 2.0) * (n - 3.0));
    return from_cumulants(m * x / n, k2, k3, excess * k2 * k2, 0.0, 0.0);
}

CentralMoments binomial_moments(std::int64_t draws, double p) {
    const double mm = static_cast<double>(draws), q = 1.0 - p, pq = p * q;
    return from_cumulants(mm * p, mm * pq, mm * pq * (q - p), mm * pq * (1.0 - 6.0 * pq),
                          mm * pq * (q - p) * (1.0 - 12.0 * pq), mm * pq * (1.0 - 30.0 * pq + 120.0 * pq * pq));
}

double k_log_k_from_moments(const CentralMoments& k) {
    const double u = k.mean;
    const double (&m)[5] = k.central;
    return u * std::log(u) + m[0] / (2.0 * u) - m[1] / (6.0 * u * u) + m[2] / (12.0 * u * u * u) -
           m[3] / (20.0 * u * u * u * u) + m[4] / (30.0 * u * u * u * u * u);
}

double hypergeometric_k_log_k(std::int64_t population, std::int64_t marked, std::int64_t draws, const KLogK& klk) {
    const std::int64_t low = std::max<std::int64_t>(0, draws - (population - marked)), high = std::min(marked, draws);
    if (high <= 1) return 0.0;  // K ln K = 0 for K = 0, 1
    if (low == high) return klk(low);
    const double n = static_cast<double>(population), x = static_cast<double>(marked), m = static_cast<double>(draws);
    // Past the mean of the expansion both x and n - x exceed 0 and m < n (else low == high).
    if (m * x / n >= k_log_k_expansion_mean) return k_log_k_from_moments(hypergeometric_moments(population, marked, draws));
    auto mode = static_cast<std::int64_t>(std::floor((m + 1.0) * (x + 1.0) / (n + 2.0)));
    mode = std::clamp(mode, low, high);
    double weight = 1.0, sum = klk(mode), total = 1.0;
    for (std::int64_t k = mode; k < high; ++k) {  // upward: P(k+1)/P(k)
        const double kk = static_cast<double>(k);
        weight *= (x - kk) * (m - kk) / ((kk + 1.0) * (n - x - m + kk + 1.0));
        total += weight;
        sum += weight * klk(k + 1);
        if (weight < 1e-18 * total) break;
    }
    weight = 1.0;
    for (std::int64_t k = mode; k > low; --k) {  // downward: P(k-1)/P(k)
        const double kk = static_cast<double>(k);
        weight *= kk * (n - x - m + kk) / ((x - kk + 1.0) * (m - kk + 1.0));
        total += weight;
        sum += weight * klk(k - 1);
        if (weight < 1e-18 * total) break;
    }
    return sum / total;
}

double binomial_k_log_k(std::int64_t draws, double p, const KLogK& klk) {
    const double mm = static_cast<double>(draws), q = 1.0 - p;
    if (mm * p >= k_log_k_expansion_mean) return k_log_k_from_moments(binomial_moments(draws, p));
    const double odds = p / q;
    const auto mode = std::min(draws, static_cast<std::int64_t>(std::floor((mm + 1.0) * p)));
    double weight = 1.0, total = 1.0, sum = klk(mode);
    for (std::int64_t k = mode; k < draws; ++k) {
        const double kk = static_cast<double>(k);
        weight *= (mm - kk) / (kk + 1.0) * odds;
        total += weight;
        sum += weight * klk(k + 1);
        if (weight < 1e-18 * total) break;
    }
    weight = 1.0;
    for (std::int64_t k = mode; k > 0; --k) {
        const double kk = static_cast<double>(k);
        weight *= kk / (mm - kk + 1.0) / odds;
        total += weight;
        sum += weight * klk(k - 1);
        if (weight < 1e-18 * total) break;
    }
    return sum / total;
}

}  // namespace lorvenna
