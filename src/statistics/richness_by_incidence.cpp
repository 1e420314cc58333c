#include "statistics/richness_by_incidence.hpp"

#include <algorithm>

#include "statistics/richness_estimators.hpp"

namespace lorvenna {
namespace {

// The infrequent group (incidences up to the cut-off): its incidences
// U_infreq, species, sum of k (k - 1) Q_k; the frequent species beyond it.
struct InfrequentGroup {
    double incidences = 0.0, species = 0.0, pairs = 0.0, frequent = 0.0;
};

InfrequentGroup infrequent_group(const FrequencyCounts& counts) {
    InfrequentGroup g;
    for (const FrequencyClass& c : counts.classes) {
        const double k = static_cast<double>(c.times), f = static_cast<double>(c.species);
        if (c.times <= rare_cutoff) {
            g.incidences += k * f;
            g.species += f;
            g.pairs += k * (k - 1.0) * f;
        } else {
            g.frequent += f;
        }
    }
    return g;
}

// The sample coverage of the infrequent group and the derivatives SpadeR
// takes of it (those of the Q2 > 0 form of A).
struct InfrequentCoverage {
    double t, q1, q2, n, value;
    double derivative(std::int64_t qi) const {
        if (q1 == 0.0) return 0.0;
        const double q = static_cast<double>(qi);
        const double g = n * ((t - 1.0) * q1 + 2.0 * q2);
        if (qi == 1)
            return -(n * ((t - 1.0) * q1 + 2.0 * q2) * 2.0 * q1 * (t - 1.0) -
                     (t - 1.0) * q1 * q1 * ((t - 1.0) * (q1 + n) + 2.0 * q2)) /
                   (g * g);
        const double growth = qi == 2 ? 2.0 * (t - 1.0) * q1 + 2.0 * (n + 2.0 * q2) : (t - 1.0) * q1 * q + 2.0 * q2 * q;
        return (t - 1.0) * q1 * q1 * growth / (g * g);
    }
};

InfrequentCoverage infrequent_coverage(const FrequencyCounts& counts, const InfrequentGroup& g) {
    const double t = static_cast<double>(counts.size);
    const double q1 = static_cast<double>(counts.f(1)), q2 = static_cast<double>(counts.f(2));
    double a = 1.0;
    if (q1 > 0.0 && q2 > 0.0)
        a = 2.0 * q2 / ((t - 1.0) * q1 + 2.0 * q2);
    else if (q1 > 0.0 && q2 == 0.0)
        a = 2.0 / ((t - 1.0) * (q1 - 1.0) + 2.0);
    const double value = g.incidences > 0.0 ? 1.0 - q1 / g.incidences * (1.0 - a) : 1.0;
    return {t, q1, q2, g.incidences, value};
}

Estimate homogeneous(const FrequencyCounts& counts, const InfrequentGroup& g, const InfrequentCoverage& c) {
    const double estimate = g.frequent + g.species / c.value;
    const double variance = delta_method_variance(counts, estimate, [&](std::int64_t q) {
        if (q > rare_cutoff) return 1.0;
        return (c.value - g.species * c.derivative(q)) / (c.value * c.value);
    });
    return richness_interval(counts, estimate, variance);
}

// ICE and ICE-1 with SpadeR's derivatives.
Estimate incidence_coverage_estimator(const FrequencyCounts& counts, const InfrequentGroup& g,
                                      const InfrequentCoverage& c, bool corrected) {
    const double t = static_cast<double>(counts.size), tt = t / (t - 1.0);
    const double q1 = c.q1, n = g.incidences, d = g.species, si = g.pairs, cv = c.value;
    double cv2 = std::max(d / cv * tt * si / n / (n - 1.0) - 1.0, 0.0);
    if (std::isnan(cv2)) cv2 = 0.0;
    double cv2_1 = std::max(cv2 * (1.0 + q1 / cv * tt * si / n / (n - 1.0)), 0.0);
    if (std::isnan(cv2_1)) cv2_1 = 0.0;
    const double used = corrected ? cv2_1 : cv2;
    const double estimate = g.frequent + d / cv + (used != 0.0 ? q1 / cv * used : 0.0);
    const double nn1 = n * (n - 1.0), c2 = cv * cv, c3 = c2 * cv, c4 = c2 * c2, c6 = c4 * c2;
    const auto derivative = [&](std::int64_t qi) {
        if (qi > rare_cutoff) return 1.0;
        const double q = static_cast<double>(qi), dc = c.derivative(qi);
        double r = (cv - d * dc) / c2;
        if (used == 0.0) return r;
        if (qi == 1) {
            r += tt * (c2 * nn1 * (d * si + q1 * si) - q1 * d * si * (2.0 * cv * dc * nn1 + c2 * (n - 1.0) + c2 * n)) /
                     c4 / (n * n) / ((n - 1.0) * (n - 1.0)) -
                 (cv - q1 * dc) / c2;
            if (!corrected) return r;
            r += tt * tt *
                     (c3 * nn1 * nn1 * (2.0 * q1 * d * si * si + q1 * q1 * si * si) -
                      q1 * q1 * d * si * si *
                          (3.0 * c2 * dc * nn1 * nn1 + c3 * 2.0 * n * (n - 1.0) * (n - 1.0) + c3 * n * n * 2.0 * (n - 1.0))) /
                     c6 / std::pow(n, 4.0) / std::pow(n - 1.0, 4.0) -
                 tt * si * (c2 * nn1 * 2.0 * q1 - q1 * q1 * (2.0 * cv * dc * nn1 + c2 * (n - 1.0) + c2 * n)) / c4 /
                     (n * n) / ((n - 1.0) * (n - 1.0));
            return r;
        }
        r += tt *
                 (c2 * nn1 * q1 * (si + q * (q - 1.0) * d) -
                  q1 * d * si * (2.0 * cv * dc * nn1 + c2 * q * (n - 1.0) + c2 * n * q)) /
                 c4 / (n * n) / ((n - 1.0) * (n - 1.0)) +
             q1 * dc / c2;
        if (!corrected) return r;
        r += tt * tt * q1 * q1 *
                 (c3 * nn1 * nn1 * (si * si + d * 2.0 * si * q * (q - 1.0)) -
                  d * si * si *
                      (3.0 * c2 * dc * nn1 * nn1 + c3 * 2.0 * n * q * (n - 1.0) * (n - 1.0) +
                       c3 * n * n * 2.0 * (n - 1.0) * q)) /
                 c6 / std::pow(n, 4.0) / std::pow(n - 1.0, 4.0) -
             tt * q1 * q1 * (c2 * nn1 * q * (q - 1.0) - si * (2.0 * cv * dc * nn1 + c2 * q * (n - 1.0) + c2 * n * q)) /
                 c4 / (n * n) / ((n - 1.0) * (n - 1.0));
        return r;
    };
    const double variance = delta_method_variance(counts, estimate, derivative);
    return richness_interval(counts, estimate, variance);
}

struct ChaoLowerBound {
    double estimate, variance;
    bool adds;
};

ChaoLowerBound chao2_bound(const FrequencyCounts& counts, const RichnessEstimates& point) {
    const double t = static_cast<double>(counts.size), s = static_cast<double>(counts.observed);
    const double q1 = static_cast<double>(counts.f(1)), q2 = static_cast<double>(counts.f(2)), w = (t - 1.0) / t;
    if (q1 > 0.0 && q2 > 0.0) {
        const double r = q1 / q2;
        return {point.chao2, q2 * (w * r * r / 2.0 + w * w * r * r * r + w * w * r * r * r * r / 4.0), true};
    }
    if (q1 > 1.0 && q2 == 0.0)
        return {point.chao2, w * q1 * (q1 - 1.0) / 2.0 + w * w * q1 * (2.0 * q1 - 1.0) * (2.0 * q1 - 1.0) / 4.0 -
                                 w * w * q1 * q1 * q1 * q1 / 4.0 / point.chao2,
                true};
    const Estimate seen = observed_count_interval(counts, s);
    return {s, seen.se * seen.se, false};
}

Estimate chao2(const FrequencyCounts& counts, const RichnessEstimates& point) {
    const ChaoLowerBound b = chao2_bound(counts, point);
    if (!b.adds) return observed_count_interval(counts, b.estimate);
    return log_transformed_interval(b.estimate, b.variance, static_cast<double>(counts.observed));
}

Estimate chao2_bc(const FrequencyCounts& counts) {
    const double t = static_cast<double>(counts.size), s = static_cast<double>(counts.observed), w = (t - 1.0) / t;
    const double q1 = static_cast<double>(counts.f(1)), q2 = static_cast<double>(counts.f(2));
    const double estimate = s + w * q1 * (q1 - 1.0) / (2.0 * (q2 + 1.0));
    const double variance = w * q1 * (q1 - 1.0) / 2.0 / (q2 + 1.0) +
                            w * w * q1 * (2.0 * q1 - 1.0) * (2.0 * q1 - 1.0) / 4.0 / ((q2 + 1.0) * (q2 + 1.0)) +
                            w * w * q1 * q1 * q2 * (q1 - 1.0) * (q1 - 1.0) / 4.0 / std::pow(q2 + 1.0, 4.0);
    if (estimate - s == 0.0) return observed_count_interval(counts, estimate);
    return log_transformed_interval(estimate, variance, s);
}

Estimate ichao2(const FrequencyCounts& counts, const RichnessEstimates& point) {
    const double t = static_cast<double>(counts.size), w = (t - 1.0) / t, v = (t - 3.0) / t, u = (t - 3.0) / (t - 1.0);
    const double q1 = static_cast<double>(counts.f(1)), q2 = static_cast<double>(counts.f(2));
    const double q3 = static_cast<double>(counts.f(3)), q4 = static_cast<double>(counts.f(4));
    const ChaoLowerBound b = chao2_bound(counts, point);
    const double estimate = q4 != 0.0 ? b.estimate + v * q3 / 4.0 / q4 * std::max(q1 - u * q2 * q3 / 2.0 / q4, 0.0)
                                      : b.estimate + v * q3 / 4.0 / (q4 + 1.0) * std::max(q1 - u * q2 * q3 / 2.0, 0.0);
    const double g4 = q4 != 0.0 ? q4 : 1.0;
    const auto derivative = [&](int q) {
        if (q1 > 0.0 && q2 != 0.0) {
            if (q == 1) return w * q1 / q2 - v * q3 / 4.0 / g4;
            if (q == 2) return w * q1 * q1 / 2.0 / (q2 * q2) - v * u * q3 * q3 / 8.0 / (g4 * g4);
            if (q == 3) return v * q1 / 4.0 / g4;
            return -v * q1 * q3 / 4.0 / (g4 * g4) + v * u * q2 * q3 * q3 / 4.0 / (g4 * g4 * g4);
        }
        if (q1 > 1.0 && q2 == 0.0) {
            if (q == 1) return w * (2.0 * q1 - 1.0) / 2.0 / (q2 + 1.0) + v * q3 / 4.0 / g4;
            if (q == 2) return -w * q1 * (q1 - 1.0) / 2.0 / ((q2 + 1.0) * (q2 + 1.0));
            if (q == 3) return v * q1 / 4.0 / g4;
            return -v * q1 * q3 / 4.0 / (g4 * g4);
        }
        return 0.0;
    };
    double variance = b.variance;
    if (q1 - u * q2 * q3 / 2.0 / q4 > 0.0 || q1 - u * q2 * q3 / 2.0 > 0.0) {
        const double fq[4] = {q1, q2, q3, q4};
        variance = delta_method_variance_rare(fq, estimate, derivative);
    }
    return richness_interval(counts, estimate, variance);
}

Estimate jackknife(const FrequencyCounts& counts, const RichnessEstimates& point, int order) {
    const double t = static_cast<double>(counts.size), s = static_cast<double>(counts.observed);
    const double estimate = order == 1 ? point.jack1 : point.jack2;
    if (!std::isfinite(estimate)) return Estimate{};
    const double variance = delta_method_variance(counts, estimate, [&](std::int64_t q) {
        if (q == 1) return order == 1 ? 1.0 + (t - 1.0) / t : 1.0 + (2.0 * t - 3.0) / t;
        if (q == 2 && order == 2) return 1.0 - (t - 2.0) * (t - 2.0) / t / (t - 1.0);
        return 1.0;
    });
    if (estimate < s && !rounds_to_zero(estimate - s)) return observed_count_interval(counts, s);
    if (order == 2 && rounds_to_zero(estimate - s)) {
        // SpadeR centres this interval as the observed-count one but keeps the jackknife variance.
        Estimate e;
        e.estimate = estimate;
        if (!(variance > 0.0)) return e;
        double missed = 0.0;
        for (const FrequencyClass& c : counts.classes)
            missed += static_cast<double>(c.species) * std::exp(-static_cast<double>(c.times)) / s;
        const double centre = s / (1.0 - missed), half = normal_quantile_975 * std::sqrt(variance) / (1.0 - missed);
        e.se = std::sqrt(variance);
        e.lower95 = std::fmax(s, centre - half);
        e.upper95 = centre + half;
        return e;
    }
    return richness_interval(counts, estimate, variance);
}

// `summand`: the bootstrap summand as the caller summed it, or NaN to sum it over the classes.
std::array<NamedEstimate, 10> incidence_table(const FrequencyCounts& counts, double summand, double bootstrap_variance) {
    std::array<NamedEstimate, 10> table = {{{"observed", {}},
                                            {"homogeneous", {}},
                                            {"chao2", {}},
                                            {"chao2_bc", {}},
                                            {"ichao2", {}},
                                            {"ice", {}},
                                            {"ice1", {}},
                                            {"jack1", {}},
                                            {"jack2", {}},
                                            {"bootstrap", {}}}};
    if (!counts.valid) return table;
    table[0].value.estimate = static_cast<double>(counts.observed);
    if (counts.observed == 0) return table;
    const double t = static_cast<double>(counts.size);
    double bootstrap_summand = summand;
    if (std::isnan(bootstrap_summand)) {
        bootstrap_summand = 0.0;
        for (const FrequencyClass& c : counts.classes)
            bootstrap_summand += static_cast<double>(c.species) * std::pow(1.0 - static_cast<double>(c.times) / t, t);
    }
    const RichnessEstimates point =
        estimate_richness(static_cast<int>(counts.observed), static_cast<int>(counts.f(1)),
                          static_cast<int>(counts.f(2)), static_cast<int>(counts.size), bootstrap_summand);
    const InfrequentGroup g = infrequent_group(counts);
    const InfrequentCoverage c = infrequent_coverage(counts, g);
    table[1].value = homogeneous(counts, g, c);
    table[2].value = chao2(counts, point);
    table[3].value = chao2_bc(counts);
    table[4].value = ichao2(counts, point);
    table[5].value = incidence_coverage_estimator(counts, g, c, false);
    table[6].value = incidence_coverage_estimator(counts, g, c, true);
    table[7].value = jackknife(counts, point, 1);
    table[8].value = jackknife(counts, point, 2);
    table[9].value = richness_interval(counts, point.bootstrap, bootstrap_variance);
    if (counts.size == 1) {  // one unit: no replication to learn undetected species from
        for (int i = 1; i < 10; ++i) {
            Estimate& e = table[i].value;
            if (i == 5 || i == 6 || i == 8) e.estimate = std::nan("");
            e.se = e.lower95 = e.upper95 = std::nan("");
        }
    }
    return table;
}

}  // namespace

std::array<NamedEstimate, 10> richness_from_incidence(const FrequencyCounts& counts) {
    return incidence_table(counts, std::nan(""), std::nan(""));
}

std::array<NamedEstimate, 10> richness_from_incidence(const FrequencyCounts& counts,
                                                     const std::vector<std::vector<int>>& presence) {
    return incidence_table(counts, std::nan(""), bootstrap_richness_variance(presence));
}

std::array<NamedEstimate, 10> richness_from_incidence(const FrequencyCounts& counts, double bootstrap_summand,
                                                     double bootstrap_variance) {
    return incidence_table(counts, bootstrap_summand, bootstrap_variance);
}

double bootstrap_richness_variance(const std::vector<std::vector<int>>& presence) {
    if (presence.empty()) return std::nan("");
    int species = 0;
    for (const auto& unit : presence)
        for (const int s : unit) species = std::max(species, s + 1);
    const int units = static_cast<int>(presence.size());
    PresenceMatrix matrix(species, units);
    for (int u = 0; u < units; ++u)
        for (const int s : presence[static_cast<std::size_t>(u)]) matrix.set(s, u);
    return bootstrap_richness_variance(matrix, units);
}

double bootstrap_richness_variance(const PresenceMatrix& presence, int units) {
    if (units < 1) return std::nan("");
    const double t = static_cast<double>(units);
    std::vector<int> seen;
    std::vector<double> q;
    double variance = 0.0;
    for (int s = 0; s < presence.species(); ++s) {
        const int frequency = presence.units_with(s, units);
        if (frequency == 0) continue;
        seen.push_back(s);
        q.push_back(std::pow(1.0 - static_cast<double>(frequency) / t, t));
        variance += q.back() * (1.0 - q.back());
    }
    // (Z/T)^T for the Z units that hold neither species of a pair; pairs
    // outnumber the values Z takes, so each power is taken once.
    std::vector<double> power(static_cast<std::size_t>(units) + 1, -1.0);
    for (std::size_t i = 0; i < seen.size(); ++i)
        for (std::size_t j = i + 1; j < seen.size(); ++j) {
            const int neither = units - presence.units_with_either(seen[i], seen[j], units);
            double& p = power[static_cast<std::size_t>(neither)];
            if (p < 0.0) p = std::pow(static_cast<double>(neither) / t, t);
            variance += 2.0 * (p - q[i] * q[j]);
        }
    return variance;
}

}  // namespace lorvenna
