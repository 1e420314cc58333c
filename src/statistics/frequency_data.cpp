#include "statistics/frequency_data.hpp"

#include <algorithm>

namespace lorvenna {

std::int64_t FrequencyCounts::f(std::int64_t k) const {
    const auto it = std::lower_bound(classes.begin(), classes.end(), k,
                                     [](const FrequencyClass& c, std::int64_t key) { return c.times < key; });
    return it != classes.end() && it->times == k ? it->species : 0;
}

void tally_frequencies(std::vector<std::int64_t>& values, bool incidence, std::int64_t units, FrequencyCounts& out) {
    out.incidence = incidence;
    out.valid = true;
    out.classes.clear();
    out.observed = out.total = 0;
    std::sort(values.begin(), values.end());
    for (const std::int64_t v : values) {
        if (v <= 0) continue;
        ++out.observed;
        out.total += v;
        if (!out.classes.empty() && out.classes.back().times == v)
            ++out.classes.back().species;
        else
            out.classes.push_back({v, 1});
    }
    out.size = incidence ? units : out.total;
    if (incidence && out.observed > 0 && (units < 1 || out.classes.back().times > units)) out.valid = false;
}

FrequencyCounts frequency_counts(const AbundanceSample& sample) {
    FrequencyCounts counts;
    std::vector<std::int64_t> values = sample.individuals;
    tally_frequencies(values, false, 0, counts);
    return counts;
}

FrequencyCounts frequency_counts(const IncidenceSample& sample) {
    FrequencyCounts counts;
    std::vector<std::int64_t> values = sample.incidences;
    tally_frequencies(values, true, sample.units, counts);
    return counts;
}

}  // namespace lorvenna
