// Fuzz target: a field-data file of arbitrary bytes (abundances, incidence
// frequencies or a raw incidence table, as iNEXT and SpadeR take them).  The
// first byte chooses the format: 'a', 'i' or 'r' (any other byte by its
// value modulo 3).  A file read whole must hold what the estimators may
// take; anything else must be refused with a fault that names its line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "input/field_data.hpp"

namespace {

using namespace lorvenna;

void require(bool holds) {
    if (!holds) std::abort();
}

FieldDataKind kind_of(std::uint8_t byte) {
    if (byte == 'a') return FieldDataKind::abundance;
    if (byte == 'i') return FieldDataKind::incidence_frequencies;
    if (byte == 'r') return FieldDataKind::incidence_raw;
    return static_cast<FieldDataKind>(byte % 3);
}

// What the estimators rely on in a file read whole.
void check(const FieldData& d) {
    require(!d.assemblages.empty());
    std::size_t rows = 0;
    for (const FieldAssemblage& a : d.assemblages) {
        require(!a.name.empty() && a.name.size() <= max_name_length);
        if (d.kind == FieldDataKind::abundance) {
            std::int64_t total = 0;
            for (const std::int64_t x : a.abundance.individuals) {
                require(x >= 0 && x <= max_count);
                total += x;
            }
            require(total > 0 && total <= max_count);
            rows = a.abundance.individuals.size();
            const FrequencyCounts c = frequency_counts(a.abundance);
            require(c.valid && c.observed > 0 && c.total == total);
            continue;
        }
        const IncidenceSample& s = a.incidence;
        require(s.units >= 1 && s.units <= max_count);
        for (const std::int64_t y : s.incidences) require(y >= 0 && y <= s.units);
        const FrequencyCounts c = frequency_counts(s);
        require(c.valid && c.observed > 0);
        rows = s.incidences.size();
        if (d.kind != FieldDataKind::incidence_raw) continue;
        require(a.presence.size() == static_cast<std::size_t>(s.units));
        std::vector<std::int64_t> seen(rows, 0);
        for (const std::vector<int>& unit : a.presence)
            for (std::size_t i = 0; i < unit.size(); ++i) {
                require(unit[i] >= 0 && static_cast<std::size_t>(unit[i]) < rows && (i == 0 || unit[i - 1] < unit[i]));
                ++seen[static_cast<std::size_t>(unit[i])];
            }
        require(seen == s.incidences);
    }
    for (const FieldAssemblage& a : d.assemblages)
        require((d.kind == FieldDataKind::abundance ? a.abundance.individuals.size() : a.incidence.incidences.size()) == rows);
    require(d.species.empty() || d.species.size() == rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    const FieldDataRead r = read_field_data(in, kind_of(data[0]));
    if (r.data) {
        check(*r.data);
    } else {
        require(r.fault.line >= 1 && !r.fault.message.empty());
        require(describe(r.fault).rfind("line ", 0) == 0);
    }
    return 0;
}
