#include "statistics/area_relations.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "numerics/fixed_field.hpp"

namespace lorvenna {
namespace {

// Power fit y = c x^z on the positive points from `start` on.
LineFit log_log_fit(const std::vector<double>& area, const std::vector<double>& y, std::size_t start) {
    std::vector<double> lx, ly;
    for (std::size_t i = start; i < area.size() && i < y.size(); ++i) {
        if (area[i] > 0.0 && y[i] > 0.0) {
            lx.push_back(std::log(area[i]));
            ly.push_back(std::log(y[i]));
        }
    }
    return fit_line(lx, ly);
}

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

std::size_t first_size_with_species(const std::vector<double>& species) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < species.size(); ++i)
        if (!(species[i] > 0.0)) start = i + 1;
    return start;
}

SpeciesAreaFits fit_species_area(const std::vector<double>& area, const std::vector<double>& species,
                                 const std::vector<double>& endemics) {
    SpeciesAreaFits f;
    const std::size_t start = first_size_with_species(species);

    const LineFit power = log_log_fit(area, species, start);
    if (power.made && std::isfinite(std::exp(power.intercept))) {
        f.power_c = std::exp(power.intercept);
        f.power_z = power.slope;
        f.power_explained = power.explained;
    }

    std::vector<double> lx, s;
    for (std::size_t i = start; i < area.size() && i < species.size(); ++i) {
        if (area[i] > 0.0 && species[i] > 0.0) {
            lx.push_back(std::log(area[i]));
            s.push_back(species[i]);
        }
    }
    const LineFit semi_log = fit_line(lx, s);
    if (semi_log.made) {
        f.exp_a = semi_log.intercept;
        f.exp_b = semi_log.slope;
        f.exp_explained = semi_log.explained;
    }

    // Endemics start where the species-area curve starts: a size without species
    // holds no endemics, and a size with species but no endemics is one
    // unloggable point, not the edge of the curve.
    const LineFit ear = log_log_fit(area, endemics, start);
    if (ear.made && std::isfinite(std::exp(ear.intercept))) {
        f.ear_c = std::exp(ear.intercept);
        f.ear_z = ear.slope;
        f.ear_explained = ear.explained;
    }
    return f;
}

void credit_first_units(const SampleCounts& counts, int n, const std::vector<int>& order,
                        std::vector<double>& credited) {
    for (int k = 0; k < counts.species; ++k) {
        for (int p = 0; p < n; ++p) {
            if (counts.at(k, order[static_cast<std::size_t>(p)]) > 0) {
                credited[static_cast<std::size_t>(p)] += 1.0;
                break;
            }
        }
    }
}

SpeciesAreaRows species_area_rows(Design d, const SampleCounts& counts,
                                  const std::vector<std::int64_t>& area,
                                  const std::vector<std::int64_t>& niches, int n,
                                  const std::vector<int>& order,
                                  const std::vector<double>& new_species, int assemblage_species) {
    SpeciesAreaRows r;
    const auto un = static_cast<std::size_t>(n);
    const bool accumulate = is_accumulating(d);
    auto unit_at = [&](std::size_t p) { return static_cast<std::size_t>(order[p]); };

    // One pass over the species: presence per unit, occupancy, endemics, bootstrap.
    std::vector<int> present(un, 0), endemic_of_unit(un, 0);
    r.occupancy.assign(un, 0);
    int* const present_in = present.data();
    for (int k = 0; k < counts.species; ++k) {
        // Counted without branches (the loop vectorises); the unit of a
        // species found in one unit only is looked up afterwards.
        const std::int32_t* const of_species = counts.data + static_cast<std::size_t>(k) * static_cast<std::size_t>(counts.units);
        int occupied = 0;
        for (int u = 0; u < n; ++u) {
            const int found = of_species[u] > 0 ? 1 : 0;
            occupied += found;
            present_in[u] += found;
        }
        if (occupied == 0) continue;
        int only = -1;
        if (occupied == 1)
            for (int u = 0; u < n && only < 0; ++u)
                if (of_species[u] > 0) only = u;
        ++r.species_sampled;
        ++r.occupancy[static_cast<std::size_t>(occupied - 1)];
        r.bootstrap += std::pow(1.0 - static_cast<double>(occupied) / n, n);
        if (occupied == 1) ++endemic_of_unit[static_cast<std::size_t>(only)];
    }

    r.area.assign(un, 0);
    r.niches.assign(un, 0);
    r.endemics.assign(un, 0);
    r.new_species.assign(un, 0.0);
    r.cumulative.assign(un, 0.0);
    std::int64_t area_sum = 0, niche_sum = 0;
    double running = 0.0;
    for (std::size_t i = 0; i < un; ++i) {
        r.new_species[i] = i < new_species.size() ? new_species[i] : 0.0;
        running += r.new_species[i];
        r.cumulative[i] = running;
        if (accumulate) {
            // Equal units taken in their current order: area and niches add up.
            const std::size_t u = unit_at(i);
            area_sum += area[u];
            niche_sum += niches[u] - (u > 0 ? niches[u - 1] : 0);
            r.area[i] = area_sum;
            r.niches[i] = niche_sum;
            r.endemics[i] = endemic_of_unit[u];
        } else {
            r.area[i] = area[i];
            r.niches[i] = niches[i];
            r.endemics[i] = endemic_of_unit[i];
        }
    }

    r.assemblage_species = assemblage_species;
    double per_unit = 0.0;
    for (const int s : present) per_unit += s;
    r.species_per_unit = n > 0 ? per_unit / n : 0.0;
    r.relative_density = assemblage_species > 0 ? r.species_per_unit / assemblage_species : 0.0;
    r.samples = n;
    r.singles = n >= 1 ? r.occupancy[0] : 0;
    r.doubles = n >= 2 ? r.occupancy[1] : 0;

    // Curves: "dep" and "lin" accumulate species and endemics over the units in
    // order; the other designs relate each unit's own count to its own area.
    std::vector<double> a(un), s(un), e(un);
    double endemic_sum = 0.0;
    for (std::size_t i = 0; i < un; ++i) {
        a[i] = static_cast<double>(r.area[i]);
        endemic_sum += r.endemics[i];
        s[i] = accumulate ? r.cumulative[i] : static_cast<double>(present[i]);
        e[i] = accumulate ? endemic_sum : static_cast<double>(r.endemics[i]);
    }
    r.fits = fit_species_area(a, s, e);
    return r;
}

std::vector<std::string> analysis_lines(const SpeciesAreaRows& r) {
    std::vector<std::string> lines;
    lines.push_back(int_row(r.area));
    lines.push_back(int_row(r.niches));
    lines.push_back(int_row(r.occupancy));
    lines.push_back(real_row(r.new_species));
    lines.push_back(int_row(r.endemics));
    lines.push_back(real_row(r.cumulative));
    lines.push_back(int_field(r.assemblage_species, 6) + " " + real_field(r.species_per_unit, 6, 1) +
                    " " + int_field(r.species_sampled, 6) + " " +
                    real_field(r.relative_density, 6, 4) + " " + real_field(r.bootstrap, 6, 1) +
                    " " + int_field(r.samples, 6) + " " + int_field(r.singles, 6) + " " +
                    int_field(r.doubles, 6));
    const SpeciesAreaFits& f = r.fits;
    std::string fits;
    for (const double v : {f.power_c, f.power_z, f.power_explained, f.exp_a, f.exp_b,
                           f.exp_explained, f.ear_c, f.ear_z, f.ear_explained})
        fits += real_field(v, 10, 5) + " ";
    lines.push_back(fits);
    return lines;
}

}  // namespace lorvenna
