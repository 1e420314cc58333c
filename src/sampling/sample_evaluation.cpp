#include "sampling/sample_evaluation.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "sampling/design_context.hpp"
#include "sampling/sampling_designs.hpp"
#include "numerics/run_seeds.hpp"
#include "statistics/hill_numbers.hpp"

namespace lorvenna {

using namespace detail;

std::vector<double> sample_abundances(Design d, const SampleCounts& counts, int n) {
    std::vector<double> x(static_cast<std::size_t>(std::max(counts.species, 0)), 0.0);
    if (n < 1) return x;
    for (int k = 0; k < counts.species; ++k) {
        double sum = 0.0;
        if (is_nested(d)) {
            sum = counts.at(k, n - 1);
        } else {
            for (int u = 0; u < n; ++u) sum += counts.at(k, u);
        }
        x[static_cast<std::size_t>(k)] = sum;
    }
    return x;
}

std::int64_t cells_sampled(Design d, const std::vector<std::int64_t>& cells, int n) {
    if (n < 1 || cells.empty()) return 0;
    const auto last = std::min(static_cast<std::size_t>(n), cells.size());
    if (is_nested(d)) return cells[last - 1];
    std::int64_t sum = 0;
    for (std::size_t u = 0; u < last; ++u) sum += cells[u];
    return sum;
}

std::vector<SpeciesSample> species_sample_table(SampleTables& t, const SamplingFrame& f, std::vector<SpeciesRow>& species) {
    const Design d = f.design;
    const int rows = species_rows(t, species.size());
    const SampleCounts counts = counts_of(t, rows);
    const std::vector<std::int64_t> cells = unit_cells(f, t);
    const std::vector<double> whole = sample_abundances(d, counts, t.units);
    const auto whole_cells = static_cast<double>(cells_sampled(d, cells, t.units));
    std::vector<SpeciesSample> table;
    table.reserve(static_cast<std::size_t>(rows));
    t.density_boundary.assign(static_cast<std::size_t>(rows), 0.0);
    std::vector<double> densities;
    for (int k = 0; k < rows; ++k) {
        densities.clear();
        for (int u = 0; u < t.units; ++u)
            if (cells[static_cast<std::size_t>(u)] > 0)
                densities.push_back(counts.at(k, u) / static_cast<double>(cells[static_cast<std::size_t>(u)]));
        const auto uk = static_cast<std::size_t>(k);
        table.push_back(species_sample(whole[uk], t.squared_counts[uk], whole_cells, densities));
        t.density_boundary[uk] = table.back().boundary;
        species[uk].sample_column = static_cast<float>(whole[uk]);
    }
    return table;
}

std::vector<std::int64_t> distinct_cells(Design d, const std::vector<Block>& blocks, int window_side) {
    std::vector<std::int64_t> distinct(blocks.size(), 0);
    if (is_nested(d)) {
        for (std::size_t u = 0; u < blocks.size(); ++u) distinct[u] = blocks[u].cells();
        return distinct;
    }
    const auto side = static_cast<std::size_t>(std::max(window_side, 0));
    std::vector<std::uint8_t> seen(side * side, 0);
    std::int64_t covered = 0;
    for (std::size_t u = 0; u < blocks.size(); ++u) {
        const Block& b = blocks[u];
        for (int x = b.x0; x <= b.x1 && !b.empty(); ++x)
            for (int y = b.y0; y <= b.y1; ++y) {
                std::uint8_t& cell = seen[static_cast<std::size_t>(x - 1) * side + static_cast<std::size_t>(y - 1)];
                covered += cell == 0 ? 1 : 0;
                cell = 1;
            }
        distinct[u] = covered;
    }
    return distinct;
}

SampleSeries::SampleSeries(const SamplingFrame& f, const SampleTables& t, const std::vector<SpeciesRow>& species,
                           const SeriesOutputs& outputs)
    : with_truth_(outputs.truth),
      with_estimates_(outputs.truth && outputs.estimates),
      seed_(outputs.seed),
      design_(f.design),
      reshufflings_(f.reshufflings),
      index_(f.index),
      rows_(species_rows(t, species.size())),
      window_(sampling_window(f)),
      sizes_(sample_size_series(f.min_sample, f.step, t.units)),
      cells_(unit_cells(f, t)) {
    const int units = t.units;
    for (int i = 1; i <= units; ++i) blocks_.push_back(unit_block(design_, f.factor, t, window_, i));
    if (with_truth_) distinct_ = distinct_cells(design_, blocks_, window_.side);
    order_.resize(static_cast<std::size_t>(std::max(units, 0)));
    for (int u = 0; u < units; ++u) order_[static_cast<std::size_t>(u)] = u;
    const int rows = rows_;
    weights_.resize(static_cast<std::size_t>(rows));
    for (int k = 0; k < rows; ++k) {
        const SpeciesRow& row = species[static_cast<std::size_t>(k)];
        weights_[static_cast<std::size_t>(k)] = row.weight;
        if (row.assigned > 0.0f) ++assemblage_;
    }
    truth_.species_grid = assemblage_;
    for (std::size_t k = 0; k < static_cast<std::size_t>(rows) && k < t.in_square.size(); ++k) {
        truth_.individuals_square += t.in_square[k];
        truth_.species_square += t.in_square[k] > 0 ? 1 : 0;
    }
    truth_.square_cells = static_cast<std::int64_t>(window_.square) * window_.square;
    if (with_truth_) {
        std::vector<double> square(static_cast<std::size_t>(rows), 0.0);
        for (std::size_t k = 0; k < square.size() && k < t.in_square.size(); ++k)
            square[k] = static_cast<double>(t.in_square[k]);
        truth_.indices = diversity_indices(square);
        truth_.alpha_root = fishers_alpha_root(truth_.species_square, static_cast<double>(truth_.individuals_square));
    }
    if (with_estimates_) {
        // The Hill numbers of the square by the formula of the observed ones,
        // so that a sample holding the whole square scores no bias at all.
        AbundanceSample census;
        census.individuals.assign(t.in_square.begin(), t.in_square.begin() + std::min<std::ptrdiff_t>(rows, std::ssize(t.in_square)));
        const HillNumbers hill = hill_numbers(frequency_counts(census));
        const SquareTruth square{static_cast<double>(truth_.species_square),
                                 static_cast<double>(truth_.individuals_square), hill.observed[1], hill.observed[2]};
        estimator_ = SampleEstimator(counts_of(t, rows), t.in_square, square);
    }
    // A unit's true richness is the same in every sample size that takes it:
    // counted once here rather than again for every sample size.
    if (with_truth_ && !is_accumulating(design_)) {
        const SampleCounts counts = counts_of(t, rows);
        unit_species_.assign(static_cast<std::size_t>(std::max(units, 0)), 0);
        for (int k = 0; k < counts.species; ++k)
            for (int u = 0; u < counts.units && u < units; ++u)
                unit_species_[static_cast<std::size_t>(u)] += counts.at(k, u) > 0 ? 1 : 0;
    }
}

void SampleSeries::set_true_curve(const SampleCounts& counts, SampleSizePass& pass) const {
    const auto n = static_cast<std::size_t>(pass.n);
    pass.true_area.assign(n, 0.0);
    pass.true_species.assign(n, 0.0);
    if (!is_accumulating(design_)) {
        // Point i is unit i alone: its own cells and the species living in them.
        for (std::size_t i = 0; i < n && i < blocks_.size() && i < unit_species_.size(); ++i) {
            pass.true_area[i] = static_cast<double>(blocks_[i].cells());
            pass.true_species[i] = unit_species_[i];
        }
        return;
    }
    // Point i covers the units of positions 1..i together: the species met by
    // then, on the distinct cells of their blocks.
    std::vector<int> met_at(n + 1, 0);
    for (int k = 0; k < counts.species; ++k)
        for (std::size_t p = 0; p < n; ++p)
            if (counts.at(k, order_[p]) > 0) {
                ++met_at[p];
                break;
            }
    const auto side = static_cast<std::size_t>(std::max(window_.side, 0));
    std::vector<std::uint8_t> seen(side * side, 0);
    std::int64_t covered = 0;
    int species = 0;
    for (std::size_t p = 0; p < n; ++p) {
        const Block& b = blocks_[static_cast<std::size_t>(order_[p])];
        for (int x = b.x0; x <= b.x1 && !b.empty(); ++x)
            for (int y = b.y0; y <= b.y1; ++y) {
                std::uint8_t& cell = seen[static_cast<std::size_t>(x - 1) * side + static_cast<std::size_t>(y - 1)];
                covered += cell == 0 ? 1 : 0;
                cell = 1;
            }
        species += met_at[p];
        pass.true_area[p] = static_cast<double>(covered);
        pass.true_species[p] = species;
    }
}

bool SampleSeries::next(const SampleTables& t, RandomStream& random, SampleSizePass& pass) {
    if (next_ >= sizes_.size()) return false;
    const int n = sizes_[next_++];
    const SampleCounts counts = counts_of(t, rows_);
    const int passes = is_reshuffled(design_) ? std::max(reshufflings_, 1) : 1;
    std::vector<double> credited(static_cast<std::size_t>(n), 0.0);
    for (int r = 0; r < passes; ++r) {
        if (is_reshuffled(design_)) exchange_units(random, order_, n, t.units);
        credit_first_units(counts, n, order_, credited);
    }
    for (double& c : credited) c /= passes;

    pass.n = n;
    const std::vector<double> abundances = sample_abundances(design_, counts, n);
    pass.statistics = community_statistics(weights_, abundances, index_);
    pass.integer_individuals = is_nested(design_);
    pass.area_sampled = cells_sampled(design_, cells_, n);
    pass.unit_area = cells_[0];
    pass.rows = species_area_rows(design_, counts, t.area, t.niches, n, order_, credited, assemblage_);
    if (!with_truth_) return true;

    // What only the tidy tables show: every index, the exact alpha, the truth and the estimators.
    pass.indices = diversity_indices(abundances);
    pass.alpha_root = fishers_alpha_root(pass.statistics.species, pass.statistics.individuals);
    pass.distinct_cells = distinct_[static_cast<std::size_t>(n - 1)];
    set_true_curve(counts, pass);
    pass.true_fits = fit_species_area(pass.true_area, pass.true_species, std::vector<double>(pass.true_area.size(), 0.0));
    pass.inspected_fit = design_ == Design::octaves || design_ == Design::diagonal;
    if (pass.inspected_fit)
        pass.inspected_fits = fit_species_area(pass.true_area, pass.rows.curve_species, pass.rows.curve_endemics);
    const SpeciesAreaRows& r = pass.rows;
    pass.estimates = estimate_richness(r.species_sampled, r.singles, r.doubles, n, r.bootstrap);
    const SpeciesAreaFits& f = r.fits;
    pass.sar_extrapolated =
        f.power.made ? f.power.c * std::pow(static_cast<double>(truth_.square_cells), f.power.z) : std::nan("");
    pass.with_estimates = with_estimates_;
    if (with_estimates_) {
        // The intervals that resample or go over every pair of species at the
        // largest sample only, the one a study of bias scores (manual 13.2).
        const bool largest = next_ == sizes_.size();
        estimator_.estimate(n, abundances, r, largest, resampling_seed(seed_, static_cast<std::uint64_t>(n)),
                            pass.sample_estimates);
    }
    return true;
}

}  // namespace lorvenna
