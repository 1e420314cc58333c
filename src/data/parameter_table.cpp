#include "data/parameter_table.hpp"

#include <array>
#include <cmath>

#include "core/overloaded.hpp"
#include "core/text_records.hpp"
#include "numerics/constants.hpp"
#include "numerics/fixed_field.hpp"

namespace lorvenna {
namespace {

std::int64_t squared(int side) { return static_cast<std::int64_t>(side) * static_cast<std::int64_t>(side); }

// exp(Class * 0.693147): a hair below 2^Class, as in the dialogue, so 2^Class itself is refused.
float dwd_bound(const ParameterSet& p) { return std::exp(static_cast<float>(p.Class) * ln2_six_digits); }

// The minimum density the pass used: its minimum abundance over the cells of the grid.
double min_density(const DerivedValues& d) {
    const double cells = static_cast<double>(d.grid_side) * static_cast<double>(d.grid_side);
    return cells > 0.0 ? static_cast<double>(d.min_abundance) / cells : 0.0;
}

using P = ParameterSet;
using D = DerivedValues;

// Batch column order; check_order numbers the checks of a row in the order they run.
const std::array<ParameterDescriptor, 32> table = {{
    {"Areal", "Areal", &P::Areal, 2, nullptr, 0, "", {}, "2 or more (an rmd or dsq grid is rescaled to 2^k + 1)",
     [](const P&, const D& d) -> ParameterValue { return std::int64_t{d.grid_side}; }},
    {"SampA", "SampA", &P::SampA, 3, [](const P& p, int side) { return !(p.SampA < 1 || p.SampA > side); }, 1,
     " Error while reading area: ", {3, 0}, "1 to the grid side (Areal; an rmd grid's side after rescaling)"},
    {"maxSa", "maxSa", &P::maxSa, 2, [](const P& p, int) { return !(p.maxSa < 1 || p.maxSa > squared(p.SampA)); }, 2,
     " Error while reading max. sample size: ", {3, 0}, "1 to SampA^2",
     [](const P&, const D& d) -> ParameterValue { return std::int64_t{d.max_sample}; }},
    {"minSa", "minSa", &P::minSa, 3,
     [](const P& p, int) { return !(p.minSa < 1 || p.minSa > p.maxSa || p.minSa > squared(p.SampA)); }, 3,
     " Error while reading min. sample size: ", {3, 0}, "1 to maxSa and at most SampA^2",
     [](const P&, const D& d) -> ParameterValue { return std::int64_t{d.min_sample}; }},
    {"StepSa", "StepSa", &P::StepSa, 2, [](const P& p, int) { return !(p.StepSa < 1 || p.StepSa > p.maxSa); }, 4,
     " Error while reading step width: ", {3, 0}, "1 to maxSa"},
    {"Sampfac", "Sampfac", &P::Sampfac, 1, [](const P& p, int) { return !(p.Sampfac < 1 || p.Sampfac > 10); }, 5,
     " Error while reading sample factor ", {2, 0}, "1 to 10"},
    {"Method", "Method", &P::Method, 2, [](const P& p, int) { return p.Method != Design::other; }, 6,
     " Error while reading method of sampling: ", {3, 0}, "seq, ind, oct, dep or lin"},
    {"Species", "Species", &P::Species, 1, [](const P& p, int) { return !(p.Species < 1); }, 7,
     " Error while reading No. species: ", {3, 0}, "1 or more",
     [](const P&, const D& d) -> ParameterValue { return std::int64_t{d.species}; }},
    {"maxD", "maxD", &P::maxD, 6, nullptr, 0, "", {}, "at most 2147483647 individuals per species (maxD x Areal^2)"},
    {"minD", "minD", &P::minD, 7, [](const P& p, int) { return !(p.maxD > 0.0f && p.minD > p.maxD); }, 8,
     " Error while reading min. density: ", {9, 5}, "at most maxD when maxD > 0",
     [](const P&, const D& d) -> ParameterValue { return min_density(d); }},
    {"Dfluc", "Dfluc", &P::Dfluc, 3, [](const P& p, int) { return !(p.Dfluc < -1.0f || p.Dfluc > 1.0f); }, 9,
     " Error while reading type of density fluct.: ", {7, 2}, "-1 to 1"},
    {"Flucmy", "Flucmy", &P::Flucmy, 2, [](const P& p, int) { return !(p.Flucmy < 0.0f || p.Flucmy > 1.0f); }, 10,
     " Error while reading mean of density fluct.: ", {7, 2}, "0 to 1"},
    {"FlucStD", "Flucvar", &P::Flucvar, 1, [](const P& p, int) { return !(p.Flucvar < 0.0f || p.Flucvar > 1.0f); },
     11, " Error while reading standard deviation of density fluct.: ", {7, 2}, "0 to 1"},
    {"DWD", "DWD", &P::DWD, 3, [](const P& p, int) { return p.DWD != DensityForm::other; }, 12,
     " Error while reading DWD distribution: ", {6, 0}, "logn, normal, linear, rnd or power"},
    {"SWD", "SWD", &P::SWD, 8, [](const P& p, int) { return p.SWD != WeightForm::other; }, 13,
     " Error while reading SWD distribution: ", {6, 0}, "normal or logn"},
    {"Class", "Class", &P::Class, 3,
     [](const P& p, int) { return !(p.Class < 0 || (p.Class > max_weight_classes && p.Species >= p.Class)); }, 14,
     " Error while reading No. of weight classes: ", {2, 0}, "0 to 50 (more only when Species is below Class)"},
    {"SWDmy", "SWDmy", &P::SWDmy, 3, [](const P& p, int) { return !(p.SWDmy < 1.0f || p.SWDmy > 50.0f); }, 15,
     " Error while reading mean of SWD: ", {5, 2}, "1 to 50"},
    {"SWDStD", "SWDvar", &P::SWDvar, 2, [](const P& p, int) { return !(p.SWDvar < 0.0f || p.SWDvar > 50.0f); }, 16,
     " Error while reading standard deviation of SWD: ", {5, 2}, "0 to 50"},
    {"DWDmy", "DWDmy", &P::DWDmy, 3, [](const P& p, int) { return !(p.DWDmy < 0.0f || p.DWDmy > dwd_bound(p)); }, 18,
     " Error while reading mean of DWD: ", {7, 2}, "0 to just below 2^Class"},
    {"DWDStD", "DWDvar", &P::DWDvar, 2, [](const P& p, int) { return !(p.DWDvar < 0.0f || p.DWDvar > dwd_bound(p)); },
     19, " Error while reading standard deviation  of DWD: ", {7, 2}, "0 to just below 2^Class"},
    {"Aggreg", "Aggr", &P::Aggr, 2,
     [](const P& p, int side) { return !(p.Aggr < 0.0f || p.Aggr > static_cast<double>(squared(side))); }, 20,
     " Error while reading aggregation: ", {7, 2}, "0 to Areal^2"},
    {"AreaHet", "AreaHet", &P::AreaHet, 1,
     [](const P& p, int side) { return !(p.AreaHet < 0.0f || p.AreaHet > static_cast<double>(squared(side))); }, 21,
     " Error while reading degree of areal heterogeneity: ", {7, 2}, "0 to Areal^2"},
    {"NicheN", "NicheNo", &P::NicheNo, 3, [](const P& p, int) { return !(p.NicheNo < 0.0f); }, 22,
     " Error while reading niche coefficient: ", {7, 2}, "0 or more"},
    {"RndHet", "RndHet", &P::RndHet, 2, [](const P& p, int) { return p.RndHet != Heterogeneity::other; }, 28,
     " Error while reading fixed placing parameter: ", {3, 0}, "rnd or fix"},
    {"FracM", "Fractal", &P::Fractal, 3, nullptr, 0, "", {}, "rmd, dsq or super (any other builds no grid)"},
    {"Scale1", "Scale1", &P::Scale1, 3, [](const P& p, int) { return !(p.Scale1 < 1.0f); }, 23,
     " Error while reading the first fractal coefficient: ", {7, 2}, "1 or more"},
    {"Scale2", "Scale2", &P::Scale2, 4, [](const P& p, int) { return !(p.Scale2 <= 0.0f); }, 24,
     " Error while reading the second fractal coefficient: ", {7, 2}, "above 0"},
    {"Range", "Range", &P::Range, 1, [](const P& p, int) { return !(p.Range < 0.0f); }, 25,
     " Error while reading range coefficient: ", {7, 2}, "0 or more"},
    {"Gradient", "HabGrad", &P::HabGrad, 1, [](const P& p, int) { return !(p.HabGrad < 0.0f); }, 26,
     " Error while reading coefficient of habitat gradient: ", {7, 2}, "0 or more"},
    {"DivInd", "DivInd", &P::DivInd, 1, [](const P& p, int) { return p.DivInd != DiversityIndex::other; }, 27,
     " Error while reading diversity index: ", {6, 0}, "sha, simp or evar"},
    {"Permut", "Permut", &P::Permut, 1, [](const P& p, int) { return !(p.Permut < 1 || p.Permut > 20); }, 17,
     " Error while reading the number of permutations", {4, 0}, "1 to 20"},
    {"GridHet", "GridHet", &P::GridHet, 2, [](const P& p, int) { return p.GridHet != Heterogeneity::other; }, 29,
     " Error while reading fixed grid heterogeneity: ", {3, 0}, "rnd or fix"},
}};

// The first `count` characters of a keyword as a message shows them.
std::string excerpt(const Keyword& k, std::size_t count) {
    std::string s = printable(k.substr(0, count));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

std::span<const ParameterDescriptor> parameter_table() { return table; }

ParameterKind ParameterDescriptor::kind() const {
    if (std::holds_alternative<int ParameterSet::*>(member)) return ParameterKind::whole;
    if (std::holds_alternative<float ParameterSet::*>(member)) return ParameterKind::real;
    return ParameterKind::keyword;
}

ParameterValue ParameterDescriptor::given(const ParameterSet& p) const {
    return std::visit(Overloaded{[&](int P::*m) -> ParameterValue { return std::int64_t{p.*m}; },
                                 [&](float P::*m) -> ParameterValue { return p.*m; },
                                 [&](auto m) -> ParameterValue { return (p.*m).text(); }},
                      member);
}

ParameterValue ParameterDescriptor::used_value(const ParameterSet& p, const DerivedValues& d) const {
    return used != nullptr ? used(p, d) : given(p);
}

bool ParameterDescriptor::decode(ParameterSet& p, const std::string& token) const {
    return std::visit(Overloaded{[&](int P::*m) {
                                     const auto v = parse_int32(token);
                                     if (v) p.*m = *v;
                                     return v.has_value();
                                 },
                                 [&](float P::*m) {
                                     const auto v = parse_float(token);
                                     if (v) p.*m = *v;
                                     return v.has_value();
                                 },
                                 [&](auto m) {
                                     p.*m = keyword(token);  // the first 7 characters are kept
                                     return true;
                                 }},
                      member);
}

std::vector<std::string_view> ParameterDescriptor::keywords() const {
    return std::visit(Overloaded{[](int P::*) { return std::vector<std::string_view>{}; },
                                 [](float P::*) { return std::vector<std::string_view>{}; },
                                 [](auto m) {
                                     using Kind = decltype((std::declval<P>().*m).kind());
                                     std::vector<std::string_view> names;
                                     for (const auto& entry : KeywordNames<Kind>::names) names.push_back(entry.second);
                                     return names;
                                 }},
                      member);
}

std::string ParameterDescriptor::shown_value(const ParameterSet& p) const {
    return std::visit(Overloaded{[&](int P::*m) { return int_field_min(p.*m, shown.width); },
                                 [&](float P::*m) { return real_field_min(p.*m, shown.width, shown.decimals); },
                                 [&](auto m) { return excerpt((p.*m).text(), static_cast<std::size_t>(shown.width)); }},
                      member);
}

}  // namespace lorvenna
