#include "reports/field_estimates_table.hpp"

#include "reports/csv_row.hpp"
#include "sampling/sample_estimates.hpp"
#include "statistics/hill_numbers.hpp"
#include "statistics/richness_by_abundance.hpp"
#include "statistics/richness_by_incidence.hpp"

namespace lorvenna {

std::vector<std::string_view> field_estimate_columns() {
    return {"assemblage", "n_units", "quantity", "basis", "estimator", "estimate", "se", "lower95", "upper95"};
}

void open_field_estimates(ReportFile& file, Io& io) {
    file.open(io);
    file.line(csv_header(field_estimate_columns()));
}

void write_field_estimates(ReportFile& file, std::string_view assemblage, const FrequencyCounts& counts,
                           const std::vector<std::vector<int>>* presence, int bootstraps, std::uint64_t seed) {
    const SampleBasis basis = counts.incidence ? SampleBasis::incidence : SampleBasis::abundance;
    CsvRow row;
    const auto put = [&](EstimatedQuantity quantity, const char* estimator, const Estimate& v) {
        row.clear().text(assemblage).whole_or_na(counts.incidence, counts.size);
        row.text(quantity_name(quantity)).text(basis_name(basis)).text(estimator);
        row.real(v.estimate).real(v.se).real(v.lower95).real(v.upper95);
        file.line(row.str());
    };
    const std::array<NamedEstimate, 10> richness =
        !counts.incidence ? richness_from_abundance(counts)
        : presence != nullptr ? richness_from_incidence(counts, *presence)
                              : richness_from_incidence(counts);
    for (const NamedEstimate& e : richness) put(EstimatedQuantity::richness, e.name, e.value);
    const HillEstimates hill = hill_estimates(counts, bootstraps, seed);
    for (const auto& [quantity, q] : {std::pair{EstimatedQuantity::hill1, 1}, {EstimatedQuantity::hill2, 2}}) {
        Estimate observed;
        observed.estimate = hill.observed[static_cast<std::size_t>(q)];
        put(quantity, "observed", observed);
        put(quantity, "estimated", hill.estimated[static_cast<std::size_t>(q)]);
    }
    put(EstimatedQuantity::coverage, "estimated", hill.coverage);
}

}  // namespace lorvenna
