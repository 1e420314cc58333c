// The evaluation of the samples once every species is placed: the sample
// table, the series of sample sizes with their reshufflings, and the scaling
// of the habitat along the grid diagonals.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sampling/design_context.hpp"
#include "sampling/sample_contents.hpp"
#include "sampling/sample_units.hpp"
#include "sampling/sampling_designs.hpp"
#include "statistics/community_statistics.hpp"
#include "statistics/grid_scaling.hpp"
#include "statistics/sample_statistics.hpp"
#include "statistics/area_relations.hpp"

namespace lorvenna {

using namespace detail;

void evaluate_samples(WorkArea& wa) {
    SampleTables& t = wa.samples;
    if (t.units < 1) return;
    const Design d = design_of(wa.params.Method);
    const int rows = species_rows(wa);
    const SampleCounts counts = counts_of(wa);
    const std::vector<std::int64_t> cells = unit_cells(wa);

    if (wa.reports.cells.is_open())
        for (const std::string& line : sample_contents_lines(wa)) wa.reports.cells.line(line);

    // The per-species table of the whole sample (all units).
    const std::vector<double> whole = sample_abundances(d, counts, t.units);
    const auto whole_cells = static_cast<double>(cells_sampled(d, cells, t.units));
    std::vector<double> densities;
    for (int k = 0; k < rows; ++k) {
        densities.clear();
        for (int u = 0; u < t.units; ++u)
            if (cells[static_cast<std::size_t>(u)] > 0)
                densities.push_back(counts.at(k, u) /
                                    static_cast<double>(cells[static_cast<std::size_t>(u)]));
        const auto uk = static_cast<std::size_t>(k);
        const SpeciesSample s =
            species_sample(whole[uk], t.squared_counts[uk], whole_cells, densities);
        SpeciesRow& row = wa.species[uk];
        row.sample_column = static_cast<float>(whole[uk]);
        wa.reports.sample.line(species_sample_line(row.number, row.weight, s));
    }

    wa.reports.sample.line(sample_statistics_header());
    std::vector<float> weights(static_cast<std::size_t>(rows));
    int assemblage = 0;
    for (int k = 0; k < rows; ++k) {
        const SpeciesRow& row = wa.species[static_cast<std::size_t>(k)];
        weights[static_cast<std::size_t>(k)] = row.weight;
        if (row.assigned > 0.0f) ++assemblage;
    }

    std::vector<int> order(static_cast<std::size_t>(t.units));
    for (int u = 0; u < t.units; ++u) order[static_cast<std::size_t>(u)] = u;
    const int passes = is_reshuffled(d) ? std::max(wa.params.Permut, 1) : 1;
    for (const int n : sample_size_series(wa.params.minSa, wa.params.StepSa, t.units)) {
        std::vector<double> credited(static_cast<std::size_t>(n), 0.0);
        for (int r = 0; r < passes; ++r) {
            if (is_reshuffled(d)) exchange_units(wa.random, order, n, t.units);
            credit_first_units(counts, n, order, credited);
        }
        for (double& c : credited) c /= passes;

        const CommunityStatistics stats =
            community_statistics(weights, sample_abundances(d, counts, n), wa.params.DivInd);
        wa.reports.sample.line(
            sample_statistics_line(stats, is_nested(d), cells_sampled(d, cells, n), cells[0]));

        const SpeciesAreaRows analysis =
            species_area_rows(d, counts, t.area, t.niches, n, order, credited, assemblage);
        for (const std::string& line : analysis_lines(analysis)) wa.reports.analysis.line(line);
    }

    // Scaling of the habitat along the two diagonals of the grid.
    const int L = wa.habitat.side;
    std::vector<double> first(static_cast<std::size_t>(std::max(L, 0)));
    std::vector<double> second(first.size());
    for (int i = 1; i <= L; ++i) {
        first[static_cast<std::size_t>(i - 1)] = wa.habitat.at(i, i);
        second[static_cast<std::size_t>(i - 1)] = wa.habitat.at(i, L - i + 1);
        if (wa.reports.grid.is_open())
            wa.reports.grid.line(grid_line(i, first[static_cast<std::size_t>(i - 1)],
                                           second[static_cast<std::size_t>(i - 1)]));
    }
    for (const std::string& line : scaling_lines(scale_diagonals(first, second)))
        wa.reports.analysis.line(line);
}

}  // namespace lorvenna
