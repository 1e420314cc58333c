#include "statistics/community_statistics.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "numerics/constants.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {
namespace {

float finite_or_zero(double v) {
    const float f = static_cast<float>(v);
    return std::isfinite(f) ? f : 0.0f;
}

bool present(double x) { return x > 0.0 && std::isfinite(x); }

// Least-squares line of ln x against rank over the middle ranks of the
// abundances sorted in descending order; the intercept is that of ln(x/N).
void rank_abundance(std::vector<double> x, int s, double n_total, CommunityStatistics& out) {
    if (!(n_total > 0.0) || s < 5) return;
    for (double& v : x)
        if (!present(v)) v = 0.0;
    std::sort(x.begin(), x.end(), std::greater<>());
    const int q = s / 4;
    const int lo = q + 1;
    int hi = s - q;
    if (lo >= hi) hi = s;
    const double n = hi - lo + 1;
    const double r_mean = (n + 1.0) / 2.0 + lo - 1;
    double sum_y = 0.0, sum_ry = 0.0;
    for (int r = lo; r <= hi; ++r) {
        const double y = std::log(x[static_cast<std::size_t>(r - 1)]);
        sum_y += y;
        sum_ry += r * y;
    }
    const double y_mean = sum_y / n;
    const double u = hi, l = lo;
    const double sum_r2 = (u * (u + 1) * (2 * u + 1) - (l - 1) * l * (2 * l - 1)) / 6.0;
    const double denominator = sum_r2 - r_mean * n * r_mean;
    if (!(denominator > 0.0)) return;
    const double slope = (sum_ry - r_mean * y_mean * n) / denominator;
    out.rad_slope = finite_or_zero(slope);
    out.rad_intercept = finite_or_zero(y_mean - r_mean * slope - std::log(n_total));
}

// (alpha / S) ln(N / alpha + 1), increasing in alpha towards N / S.
double fisher_ratio(double alpha, double s, double n) { return alpha / s * std::log1p(n / alpha); }

}  // namespace

float fishers_alpha(double species, double individuals) {
    const double s = species, n = individuals;
    if (!(s >= 1.0) || !(n > s) || !std::isfinite(n)) return 0.0f;  // no finite alpha when S >= N
    // The stepwise search on the 0.01 grid ends at the first grid point where the
    // ratio exceeds 1.  The ratio increases with alpha, so that point is the first
    // multiple of 0.01 above the root: bracket the root, bisect, then settle the
    // grid point by evaluating the ratio on its neighbours.
    double lo = 0.0, hi = 1.0;
    while (fisher_ratio(hi, s, n) <= 1.0) {
        lo = hi;
        hi *= 2.0;
        if (hi > 1.0e30) return 0.0f;  // beyond any alpha a report can hold
    }
    for (int i = 0; i < 200 && hi - lo > 1e-3; ++i) {
        const double mid = 0.5 * (lo + hi);
        (fisher_ratio(mid, s, n) > 1.0 ? hi : lo) = mid;
    }
    double k = std::max(1.0, std::floor(hi * 100.0) - 1.0);
    for (int i = 0; i < 1000 && k > 1.0 && fisher_ratio((k - 1.0) / 100.0, s, n) > 1.0; ++i) k -= 1.0;
    for (int i = 0; i < 1000 && fisher_ratio(k / 100.0, s, n) <= 1.0; ++i) k += 1.0;
    return finite_or_zero(k / 100.0);
}

double fishers_alpha_root(double species, double individuals) {
    const double s = species, n = individuals;
    if (!(s >= 1.0) || !(n > s) || !std::isfinite(n)) return std::nan("");
    double lo = 0.0, hi = 1.0;
    while (fisher_ratio(hi, s, n) <= 1.0) {
        lo = hi;
        hi *= 2.0;
        if (hi > 1.0e300) return std::nan("");
    }
    // Bisection to the resolution of a double: the ratio increases with alpha.
    for (int i = 0; i < 2000; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (!(mid > lo && mid < hi)) break;
        (fisher_ratio(mid, s, n) > 1.0 ? hi : lo) = mid;
    }
    return 0.5 * (lo + hi);
}

DiversityIndices diversity_indices(const std::vector<double>& abundances) {
    DiversityIndices d;
    double n = 0.0, sum_ln = 0.0;
    int s = 0;
    for (const double x : abundances) {
        if (!present(x)) continue;
        ++s;
        n += x;
        sum_ln += std::log(x);
    }
    if (s == 0) {
        d.shannon = d.inverse_simpson = d.evar = std::nan("");
        return d;
    }
    const double mean_ln = sum_ln / s;
    double shannon = 0.0, simpson = 0.0, var_ln = 0.0;
    for (const double x : abundances) {
        if (!present(x)) continue;
        const double p = x / n;
        shannon -= p * std::log(p);
        simpson += p * p;
        var_ln += (std::log(x) - mean_ln) * (std::log(x) - mean_ln);
    }
    d.shannon = shannon;
    d.inverse_simpson = simpson > 0.0 ? 1.0 / simpson : std::nan("");
    d.evar = s >= 2 ? 1.0 - two_over_pi * std::atan(var_ln / s) : std::nan("");
    return d;
}

CommunityStatistics community_statistics(const std::vector<float>& weights,
                                         const std::vector<double>& abundances,
                                         DiversityIndex index) {
    CommunityStatistics out;
    int s = 0;
    double n = 0.0, biomass = 0.0, sum_lb = 0.0;
    for (std::size_t k = 0; k < abundances.size(); ++k) {
        const double x = abundances[k];
        if (!present(x)) continue;
        ++s;
        n += x;
        if (k < weights.size()) biomass += static_cast<double>(weights[k]) * x;
        sum_lb += lb(x);
    }
    out.species = s;
    out.individuals = std::isfinite(n) ? n : 0.0;
    out.biomass = std::isfinite(biomass) ? biomass : 0.0;
    if (s == 0) return out;

    const double mean_lb = sum_lb / s;
    double ss_lb = 0.0;
    for (double x : abundances)
        if (present(x)) ss_lb += (lb(x) - mean_lb) * (lb(x) - mean_lb);

    if (s >= 2) {
        out.sd_lb = finite_or_zero(std::sqrt(ss_lb / s));
        // The report shows the index the run chose, in single precision, with
        // its evenness.  Evenness is defined for every community of two or
        // more species; a perfectly even one has evenness 1.
        const DiversityIndices ix = diversity_indices(abundances);
        if (index == DiversityIndex::shannon) {
            out.diversity = finite_or_zero(ix.shannon);
            out.evenness = finite_or_zero(ix.shannon / std::log(static_cast<double>(s)));
        } else if (index == DiversityIndex::simpson) {
            out.diversity = finite_or_zero(ix.inverse_simpson);
            out.evenness = finite_or_zero(ix.inverse_simpson / s);
        } else if (index == DiversityIndex::evar) {
            out.evenness = finite_or_zero(ix.evar);
            out.diversity = finite_or_zero(s * ix.evar);
        }
    }
    rank_abundance(abundances, s, n, out);
    out.alpha = fishers_alpha(s, n);
    return out;
}

}  // namespace lorvenna
