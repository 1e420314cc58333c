#include "reports/tidy_tables.hpp"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/overloaded.hpp"
#include "data/parameter_table.hpp"
#include "reports/csv_row.hpp"
#include "statistics/richness_estimators.hpp"

namespace lorvenna {
namespace {

std::vector<std::string_view> run_columns() {
    std::vector<std::string_view> c = {"run", "row", "replicate", "seed", "version", "status"};
    for (const ParameterDescriptor& d : parameter_table()) c.push_back(d.column);
    for (std::string_view name :
         {"heterogeneity", "clump_size", "hurst", "niche_level", "terms", "square_offset", "individuals_expected",
          "individuals_placed", "species_given_up", "scaling_classes", "scaling_points", "variance_intercept",
          "variance_slope", "variance_dimension", "length_intercept", "length_slope", "length_dimension"})
        c.push_back(name);
    return c;
}

const std::vector<std::string_view> species_columns = {
    "run",       "species",   "weight_class",   "weight",       "expected",         "placed",
    "centre_x",  "centre_y",  "in_square",      "in_sample",    "units_occupied",   "true_density",
    "density_boundary", "true_density_below_boundary"};

const std::vector<std::string_view> sample_columns = {
    "run",        "design",     "n_units",  "area",  "cells_inspected", "species",  "individuals",
    "shannon",    "inverse_simpson", "evar", "fisher_alpha", "fisher_alpha_root", "singletons", "doubletons",
    "bootstrap_summand", "sar_c", "sar_z", "sar_r2", "semilog_a", "semilog_b", "semilog_r2",
    "ear_c",      "ear_z",      "ear_r2",
    "true_species_grid", "true_species_square", "true_individuals_square", "true_sar_c", "true_sar_z",
    "sar_z_inspected", "est_observed", "est_bootstrap", "est_chao2", "est_jack1", "est_jack2",
    "est_sar_extrapolated", "bias_observed", "bias_bootstrap", "bias_chao2", "bias_jack1", "bias_jack2",
    "bias_sar_extrapolated", "true_shannon", "true_inverse_simpson", "true_evar", "true_fisher_alpha_root"};

const std::vector<std::string_view> curve_columns = {
    "run", "n_units", "unit", "area", "species", "endemics", "new_species", "cumulative_species", "niches",
    "inspected_side", "true_area", "true_species"};

const std::vector<std::string_view> unit_columns = {"run", "unit", "x", "y", "side", "cells", "niches", "species",
                                                     "individuals"};

const std::vector<std::string_view> estimate_columns = {
    "run", "n_units", "quantity", "basis", "estimator", "estimate", "se", "lower95", "upper95", "truth",
    "relative_bias", "covered"};

const std::vector<std::string_view> occurrence_columns = {"run", "unit", "species", "individuals"};

const std::vector<std::string_view> timing_columns = {"run", "model", "grid", "placement", "sampling",
                                                       "evaluation", "statistics", "output"};

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Doubling class of a body weight: class 1 up to 2, class k above 2^(k-1) up to 2^k.
int weight_class(float weight) {
    int k = 1;
    while (k < 1000 && static_cast<double>(weight) > std::ldexp(1.0, k)) ++k;
    return k;
}

// The parameters as the pass used them, in the columns of a batch row.
void add_parameters(CsvRow& row, const Pass& pass) {
    for (const ParameterDescriptor& d : parameter_table())
        std::visit(Overloaded{[&](std::int64_t v) { row.whole(v); }, [&](float v) { row.single(v); },
                              [&](double v) { row.real(v); }, [&](const std::string& v) { row.text(trimmed(v)); }},
                   d.used_value(pass.params, pass.derived));
}

// The file of a table, opened with its header row.
void open_table(ReportFile& file, Io& io, const std::vector<std::string_view>& columns) {
    file.open(io);
    file.line(csv_header(columns));
}

}  // namespace

void open_tidy_tables(ReportFiles& reports, Io& io, bool habitat_grids) {
    open_table(reports.runs, io, run_columns());
    open_table(reports.species, io, species_columns);
    open_table(reports.samples, io, sample_columns);
    open_table(reports.curve, io, curve_columns);
    open_table(reports.units, io, unit_columns);
    open_table(reports.timings, io, timing_columns);
    open_table(reports.estimates, io, estimate_columns);
    open_table(reports.occurrences, io, occurrence_columns);
    reports.habitat_grids = habitat_grids;
}

void write_run_row(ReportFile& runs, const Pass& pass) {
    if (!runs.is_open()) return;
    const PassRecord& r = pass.record;
    const ParameterSet& p = pass.params;
    const DerivedValues& d = pass.derived;
    CsvRow row;
    row.whole(r.run).whole_or_na(r.row > 0, r.row).whole(r.replicate).whole(r.seed).text(LORVENNA_VERSION);
    row.text(r.status);
    add_parameters(row, pass);
    // c is drawn once per model, or given for every pass
    const bool drawn_once = p.RndHet != Heterogeneity::random || pass.given_heterogeneity.has_value();
    row.single_or_na(drawn_once, d.heterogeneity);
    const float c = d.heterogeneity;
    const double clump = std::round(static_cast<double>(c * p.Aggr + p.Aggr));
    row.real_or_na(drawn_once && r.sampled, std::max(clump, 1.0));
    row.single_or_na(is_midpoint_grid(p.Fractal.kind()), d.fractal_coefficient);
    row.single(d.niche_level);
    row.whole_or_na(p.Fractal == FractalKind::super, d.term_count);
    row.whole_or_na(r.sampled, pass.grids.square.offset);
    double expected = 0.0, placed = 0.0;
    for (const SpeciesRow& s : pass.community.species) {
        expected += s.abundance;
        placed += s.assigned;
    }
    row.real_or_na(!pass.community.species.empty(), expected);
    row.real_or_na(r.sampled, placed);
    row.whole_or_na(r.sampled, r.species_given_up);
    row.whole_or_na(r.sampled, r.scaling_classes).whole_or_na(r.sampled, r.scaling_points);
    row.real_or_na(r.variance_fit, r.variance_intercept).real_or_na(r.variance_fit, r.variance_slope);
    row.real_or_na(r.variance_fit, r.variance_dimension);
    row.real_or_na(r.length_fit, r.length_intercept).real_or_na(r.length_fit, r.length_slope);
    row.real_or_na(r.length_fit, r.length_dimension);
    runs.line(row.str());
}

void write_species_rows(ReportFile& file, const Pass& pass) {
    if (!file.is_open()) return;
    const bool sampled = pass.record.sampled;
    const SampleTables& t = pass.samples;
    const bool ranged = pass.params.Range > 0.0f;
    CsvRow row;
    for (std::size_t k = 0; k < pass.community.species.size(); ++k) {
        const SpeciesRow& s = pass.community.species[k];
        const bool tallied = sampled && k < t.in_square.size() && t.units > 0;
        int occupied = 0;
        for (int u = 0; tallied && u < t.units; ++u)
            occupied += t.counts[k * static_cast<std::size_t>(t.units) + static_cast<std::size_t>(u)] > 0 ? 1 : 0;
        row.clear().whole(pass.record.run).whole(static_cast<std::int64_t>(s.number));
        row.whole_or_na(s.weight > 0.0f, weight_class(s.weight)).single(s.weight).single(s.abundance);
        row.single_or_na(sampled, s.assigned);
        row.single_or_na(sampled && ranged, s.centre_x).single_or_na(sampled && ranged, s.centre_y);
        row.whole_or_na(tallied, tallied ? t.in_square[k] : 0);
        row.single_or_na(tallied, s.sample_column);
        row.whole_or_na(tallied, occupied);
        const std::int64_t square = static_cast<std::int64_t>(pass.record.square_side) * pass.record.square_side;
        const bool truth = tallied && square > 0 && k < t.density_boundary.size();
        const double density = truth ? static_cast<double>(t.in_square[k]) / static_cast<double>(square) : 0.0;
        row.real_or_na(truth, density).real_or_na(truth, truth ? t.density_boundary[k] : 0.0);
        if (truth)
            row.text(density <= t.density_boundary[k] ? "TRUE" : "FALSE");
        else
            row.na();
        file.line(row.str());
    }
}

void write_sample_row(ReportFile& file, const Pass& pass, const SampleSizePass& size, const SampleSeries& series) {
    if (!file.is_open()) return;
    const CommunityStatistics& st = size.statistics;
    const DiversityIndices& ix = size.indices;
    const SpeciesAreaFits& f = size.rows.fits;
    CsvRow row;
    row.whole(pass.record.run).text(trimmed(pass.params.Method.text())).whole(size.n).whole(size.area_sampled);
    row.whole(size.distinct_cells).whole(st.species).real(st.individuals);
    row.real(ix.shannon).real(ix.inverse_simpson).real(ix.evar);
    row.single_or_na(st.alpha > 0.0f, st.alpha).real(size.alpha_root);
    row.whole(size.rows.singles).whole(size.rows.doubles).real(size.rows.bootstrap);
    for (const CurveFit& fit : {f.power, f.semi_log, f.endemics}) {
        row.real_or_na(fit.made, fit.c).real_or_na(fit.made, fit.z);
        row.real_or_na(fit.made && fit.explained_made, fit.explained);
    }
    const SampleTruth& truth = series.truth();
    row.whole(truth.species_grid).whole(truth.species_square).whole(truth.individuals_square);
    const SpeciesAreaFits& tf = size.true_fits;
    row.real_or_na(tf.power.made, tf.power.c).real_or_na(tf.power.made, tf.power.z);
    row.real_or_na(size.inspected_fit && size.inspected_fits.power.made, size.inspected_fits.power.z);
    const RichnessEstimates& e = size.estimates;
    row.real(e.observed).real(e.bootstrap).real(e.chao2).real(e.jack1).real(e.jack2).real(size.sar_extrapolated);
    const double s = truth.species_square;
    for (const double estimate : {e.observed, e.bootstrap, e.chao2, e.jack1, e.jack2, size.sar_extrapolated})
        row.real(relative_bias(estimate, s));
    row.real(truth.indices.shannon).real(truth.indices.inverse_simpson).real(truth.indices.evar);
    row.real(truth.alpha_root);
    file.line(row.str());
}

void write_curve_rows(ReportFile& file, const Pass& pass, const SampleSizePass& size, const SampleSeries& series) {
    if (!file.is_open()) return;
    const SpeciesAreaRows& r = size.rows;
    const bool octaves = pass.params.Method == Design::octaves;
    CsvRow row;
    for (std::size_t i = 0; i < static_cast<std::size_t>(size.n) && i < r.area.size(); ++i) {
        row.clear().whole(pass.record.run).whole(size.n).whole(static_cast<std::int64_t>(i + 1)).whole(r.area[i]);
        row.real(r.curve_species[i]).whole(r.endemics[i]).real(r.new_species[i]).real(r.cumulative[i]);
        row.whole(r.niches[i]);
        const bool inspected = octaves && i < series.blocks().size() && !series.blocks()[i].empty();
        row.whole_or_na(inspected, inspected ? series.blocks()[i].x1 - series.blocks()[i].x0 + 1 : 0);
        row.real(size.true_area[i]).real(size.true_species[i]);
        file.line(row.str());
    }
}

void write_unit_rows(ReportFile& file, const Pass& pass, const SampleSeries& series) {
    if (!file.is_open()) return;
    const SampleTables& t = pass.samples;
    const Window& w = series.window();
    const bool cumulative_niches = is_accumulating(pass.params.Method.kind());
    const std::size_t rows = t.units > 0 ? std::min(pass.community.species.size(), t.counts.size() / static_cast<std::size_t>(t.units)) : 0;
    CsvRow row;
    for (int u = 0; u < t.units; ++u) {
        const auto uu = static_cast<std::size_t>(u);
        const Block& b = series.blocks()[uu];
        std::int64_t individuals = 0;
        int species = 0;
        for (std::size_t k = 0; k < rows; ++k) {
            const std::int32_t c = t.counts[k * static_cast<std::size_t>(t.units) + uu];
            individuals += c;
            species += c > 0 ? 1 : 0;
        }
        const std::int64_t niches = cumulative_niches && u > 0 ? t.niches[uu] - t.niches[uu - 1] : t.niches[uu];
        row.clear().whole(pass.record.run).whole(u + 1);
        row.whole_or_na(!b.empty(), w.offset + b.x0).whole_or_na(!b.empty(), w.offset + b.y0);
        row.whole_or_na(!b.empty(), b.x1 - b.x0 + 1).whole(b.cells()).whole(niches).whole(species).whole(individuals);
        file.line(row.str());
    }
}

void write_estimate_rows(ReportFile& file, const Pass& pass, const SampleSizePass& size) {
    if (!file.is_open() || !size.with_estimates) return;
    CsvRow row;
    for (const EstimateRow& e : size.sample_estimates) {
        const Estimate& v = e.value;
        row.clear().whole(pass.record.run).whole(size.n);
        row.text(quantity_name(e.quantity)).text(basis_name(e.basis)).text(e.estimator);
        row.real(v.estimate).real(v.se).real(v.lower95).real(v.upper95).real(e.truth);
        row.real(relative_bias(v.estimate, e.truth));
        if (std::isfinite(v.lower95) && std::isfinite(v.upper95) && std::isfinite(e.truth))
            row.text(v.lower95 <= e.truth && e.truth <= v.upper95 ? "TRUE" : "FALSE");
        else
            row.na();
        file.line(row.str());
    }
}

void write_occurrence_rows(ReportFile& file, const Pass& pass) {
    if (!file.is_open()) return;
    const SampleTables& t = pass.samples;
    const std::size_t rows =
        t.units > 0 ? std::min(pass.community.species.size(), t.counts.size() / static_cast<std::size_t>(t.units)) : 0;
    // The table has a row for every species in every unit: the text of each
    // species number is made once, and the rows of a unit go out as one block.
    std::vector<std::string> number(rows);
    for (std::size_t k = 0; k < rows; ++k)
        number[k] = "," + std::to_string(static_cast<std::int64_t>(pass.community.species[k].number)) + ",";
    std::string block;
    for (int u = 0; u < t.units; ++u) {
        const std::string unit = std::to_string(pass.record.run) + "," + std::to_string(u + 1);
        block.clear();
        for (std::size_t k = 0; k < rows; ++k) {
            const std::int32_t c = t.counts[k * static_cast<std::size_t>(t.units) + static_cast<std::size_t>(u)];
            if (c <= 0) continue;
            char digits[12];
            const auto end = std::to_chars(digits, digits + sizeof digits, c).ptr;
            block.append(unit).append(number[k]).append(digits, end) += '\n';
        }
        file.write(block);
    }
}

void write_timings_row(ReportFile& file, const PassRecord& pass) {
    if (!file.is_open()) return;
    const StageTimes& t = pass.times;
    CsvRow row;
    row.whole(pass.run).real(t.model).real(t.grid).real(t.placement).real(t.sampling).real(t.evaluation);
    row.real(t.statistics).real(t.output);
    file.line(row.str());
}

namespace {

template <typename T, typename Put>
void write_ascii_grid(Io& io, const std::string& name, const SquareArray<T>& grid, Put put) {
    ReportFile file(name);
    file.open(io);
    const int n = grid.side;
    for (const std::string& head : {"ncols " + std::to_string(n), "nrows " + std::to_string(n),
                                    std::string("xllcorner 0"), std::string("yllcorner 0"), std::string("cellsize 1"),
                                    std::string("NODATA_value -9999")})
        file.line(head);
    // Rows from the top of the map (largest y) down; x runs along a row.
    std::string line;
    for (int y = n; y >= 1; --y) {
        line.clear();
        for (int x = 1; x <= n; ++x) {
            if (x > 1) line += ' ';
            put(line, grid.at(x, y));
        }
        file.line(line);
    }
    file.close();
}

}  // namespace

void write_habitat_grid_file(Io& io, int run, const SquareArray<float>& habitat) {
    write_ascii_grid(io, "habitat-" + std::to_string(run) + ".asc", habitat, [](std::string& line, float v) {
        CsvRow cell;
        cell.single(v);
        line += cell.str();
    });
}

void write_species_grid_file(Io& io, int run, const SquareArray<std::int32_t>& counts) {
    write_ascii_grid(io, "map-" + std::to_string(run) + ".asc", counts,
                     [](std::string& line, std::int32_t v) { line += std::to_string(v); });
}

}  // namespace lorvenna
