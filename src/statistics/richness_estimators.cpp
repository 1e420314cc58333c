#include "statistics/richness_estimators.hpp"

namespace lorvenna {

RichnessEstimates estimate_richness(int observed, int singletons, int doubletons, int units, double bootstrap_summand) {
    RichnessEstimates e;
    const double s = observed, a1 = singletons, a2 = doubletons, n = units;
    e.observed = s;
    e.bootstrap = s + bootstrap_summand;
    if (!(n >= 1.0)) {
        e.chao2 = e.jack1 = e.jack2 = std::nan("");
        return e;
    }
    const double small_sample = (n - 1.0) / n;
    e.chao2 = s + (a2 > 0.0 ? a1 * a1 / (2.0 * a2) : a1 * (a1 - 1.0) / 2.0) * small_sample;
    e.jack1 = s + a1 * small_sample;
    e.jack2 = n >= 2.0 ? s + a1 * (2.0 * n - 3.0) / n - a2 * (n - 2.0) * (n - 2.0) / (n * (n - 1.0)) : std::nan("");
    return e;
}

}  // namespace lorvenna
