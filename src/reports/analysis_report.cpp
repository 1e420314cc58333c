// Analysis.txt: the legend, the rows of every sample-size pass and the
// scaling rows of the habitat diagonals.
#include "reports/analysis_report.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "numerics/fixed_field.hpp"

namespace lorvenna {
namespace {

// The rows of a pass hold one field per sample size, a million and more
// fields for a long series, so they are written straight into one string.
// Each field comes out exactly as int_field / real_field would write it; a
// value that needs their exponent form or wider columns goes through them.
constexpr int row_width = 6;

// Appends v right-aligned in the row's field and a blank.
void append_int(std::string& s, std::int64_t v) {
    if (v < -99999 || v > 999999) {
        s += int_field(v, row_width);
        s += ' ';
        return;
    }
    char digits[row_width];
    int used = 0;
    std::uint64_t m = static_cast<std::uint64_t>(v < 0 ? -v : v);
    do {
        digits[row_width - 1 - used++] = static_cast<char>('0' + m % 10);
        m /= 10;
    } while (m != 0);
    if (v < 0) digits[row_width - 1 - used++] = '-';
    s.append(static_cast<std::size_t>(row_width - used), ' ');
    s.append(digits + (row_width - used), static_cast<std::size_t>(used));
    s += ' ';
}

// Appends v with one decimal right-aligned in the row's field and a blank.
// std::to_chars with a precision writes the digits printf("%.1f") writes.
void append_real(std::string& s, double v) {
    char text[32];
    const auto [end, error] = std::isfinite(v) && std::fabs(v) < 99999.0
                                  ? std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 1)
                                  : std::to_chars_result{text, std::errc::value_too_large};
    if (error != std::errc{}) {
        s += real_field(v, row_width, 1);
        s += ' ';
        return;
    }
    std::string_view digits(text, static_cast<std::size_t>(end - text));
    if (digits == "-0.0") digits.remove_prefix(1);  // no negative zero
    if (digits.size() > static_cast<std::size_t>(row_width)) {
        s += real_field(v, row_width, 1);
        s += ' ';
        return;
    }
    s.append(static_cast<std::size_t>(row_width) - digits.size(), ' ');
    s += digits;
    s += ' ';
}

template <typename T>
std::string int_row(const std::vector<T>& values) {
    std::string s;
    s.reserve(values.size() * (row_width + 1));
    for (const T v : values) append_int(s, static_cast<std::int64_t>(v));
    return s;
}

std::string real_row(const std::vector<double>& values) {
    std::string s;
    s.reserve(values.size() * (row_width + 1));
    for (const double v : values) append_real(s, v);
    return s;
}

}  // namespace

void write_analysis_legend(ReportFile& analysis) {
    for (const char* legend :
         {"First row: Area samples with 1,2,...n sample units", "Second row: Maximum number of niches per sample unit",
          "Third row: No. species in exactly 1, 2...n sample units", "Fourth row: Mean number of new species per sample unit",
          "Fifth row: Number of species found only in that sample (endemics)",
          "Sixth row: Cumulative number of new species per sample unit",
          "Seventh row: No. species of assemblage, No. species/unit area, No. species sampled,",
          "rel. species density (species per unit area /No. species in the assemblage),",
          "Bootstrap summand,total number of samples, Species found in exactly one and in two sample units",
          "Ninth, tenth and eleventh row: Variances of cell properties (ninth) and surface length (tenth) with "
          "increment (ruler length) of factor 2 (of the two diagonals of the grid)",
          "Twelfth row: Number of binary scaling classes, number of data points included in the regression, "
          "intercept of log(variance)-log(increment) plot, slope, fractal dimension,",
          "intercept of log(surface length) - log(ruler length) plot, slope, fractal dimension"})
        analysis.line(legend);
}

void write_sample_size_rows(ReportFile& analysis, const SpeciesAreaRows& r) {
    analysis.line(int_row(r.area));
    analysis.line(int_row(r.niches));
    analysis.line(int_row(r.occupancy));
    analysis.line(real_row(r.new_species));
    analysis.line(int_row(r.endemics));
    analysis.line(real_row(r.cumulative));
    analysis.line(int_field(r.assemblage_species, 6) + " " + real_field(r.species_per_unit, 6, 1) +
                    " " + int_field(r.species_sampled, 6) + " " +
                    real_field(r.relative_density, 6, 4) + " " + real_field(r.bootstrap, 6, 1) +
                    " " + int_field(r.samples, 6) + " " + int_field(r.singles, 6) + " " +
                    int_field(r.doubles, 6));
    const SpeciesAreaFits& f = r.fits;
    std::string fits;
    for (const CurveFit& fit : {f.power, f.semi_log, f.endemics})
        for (const double v : {fit.c, fit.z, fit.explained}) fits += real_field(v, 10, 5) + " ";
    analysis.line(fits);
}

void write_scaling_rows(ReportFile& analysis, const ScalingAnalysis& s) {
    std::string increments, variances, lengths;
    for (const std::int64_t h : s.increments) increments += int_field(h, 18);
    for (const double v : s.variances) variances += real_field(v, 18, 5);
    for (const double v : s.lengths) lengths += real_field(v, 18, 5);
    analysis.line(increments);
    analysis.line(variances);
    analysis.line(lengths);
    analysis.line(int_field(s.classes, 6) + " " + int_field(s.points, 6) + real_field(s.variance_intercept, 18, 6) +
                  real_field(s.variance_fit.slope, 8, 3) + real_field(s.variance_dimension, 8, 3) +
                  real_field(s.length_intercept, 18, 6) + real_field(s.length_fit.slope, 8, 3) +
                  real_field(s.length_dimension, 8, 3));
}

}  // namespace lorvenna
