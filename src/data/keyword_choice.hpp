#pragma once
// The keyword parameters of a parameter set, parsed once where they are read
// (dialogue, batch row) into what the model makes of them.  The text stays as
// given: the reports and tables show it, and a text the model does not know
// (a typo in the fractal kind, the "none" of a rank-order run) is kept as it
// was typed while the model sees `other`.
#include <array>
#include <string_view>
#include <utility>

#include "core/keyword.hpp"

namespace lorvenna {

// The sampling designs ("Method").
enum class Design {
    nested,            // "seq": squares of side i*f from the corner
    independent,       // "ind": disjoint i x i blocks along the diagonal
    octaves,           // "oct": squares of nominal area 2^(i-1) from the corner
    random_dependent,  // "dep": f x f blocks at random positions
    diagonal,          // "lin": f x f blocks along the diagonal
    other              // none of them (a model-only run never asks); sampled as nested
};

// The density-weight distributions ("DWD").
enum class DensityForm { logn, normal, linear, random, power, other };
// The species-weight distributions ("SWD").
enum class WeightForm { normal, logn, other };
// The fractal habitat grids ("FracM"): random midpoint displacement, the
// diamond-square grid, the superposition of periodic terms.
enum class FractalKind { rmd, dsq, super, other };
// The diversity index of the reports ("DivInd").
enum class DiversityIndex { shannon, simpson, evar, other };
// Heterogeneity drawn anew for every species or fixed for the model ("RndHet", "GridHet").
enum class Heterogeneity { random, fixed, other };

// The keyword of every kind a parameter can take.
template <typename Kind>
struct KeywordNames;
template <>
struct KeywordNames<Design> {
    static constexpr std::array<std::pair<Design, std::string_view>, 5> names{{{Design::nested, "seq"},
                                                                               {Design::independent, "ind"},
                                                                               {Design::octaves, "oct"},
                                                                               {Design::random_dependent, "dep"},
                                                                               {Design::diagonal, "lin"}}};
};
template <>
struct KeywordNames<DensityForm> {
    static constexpr std::array<std::pair<DensityForm, std::string_view>, 5> names{{{DensityForm::logn, "logn"},
                                                                                    {DensityForm::normal, "normal"},
                                                                                    {DensityForm::linear, "linear"},
                                                                                    {DensityForm::random, "rnd"},
                                                                                    {DensityForm::power, "power"}}};
};
template <>
struct KeywordNames<WeightForm> {
    static constexpr std::array<std::pair<WeightForm, std::string_view>, 2> names{
        {{WeightForm::normal, "normal"}, {WeightForm::logn, "logn"}}};
};
template <>
struct KeywordNames<FractalKind> {
    static constexpr std::array<std::pair<FractalKind, std::string_view>, 3> names{
        {{FractalKind::rmd, "rmd"}, {FractalKind::dsq, "dsq"}, {FractalKind::super, "super"}}};
};
template <>
struct KeywordNames<DiversityIndex> {
    static constexpr std::array<std::pair<DiversityIndex, std::string_view>, 3> names{
        {{DiversityIndex::shannon, "sha"}, {DiversityIndex::simpson, "simp"}, {DiversityIndex::evar, "evar"}}};
};
template <>
struct KeywordNames<Heterogeneity> {
    static constexpr std::array<std::pair<Heterogeneity, std::string_view>, 2> names{
        {{Heterogeneity::random, "rnd"}, {Heterogeneity::fixed, "fix"}}};
};

// The kind a keyword names; `other` for a text that names none.
template <typename Kind>
Kind kind_of(const Keyword& text) {
    for (const auto& [kind, name] : KeywordNames<Kind>::names)
        if (text == keyword(name, text.size())) return kind;
    return Kind::other;
}

// A keyword parameter: its text as given and its kind, parsed when it is set.
template <typename Kind>
class Choice {
public:
    Choice() : Choice(keyword("")) {}
    Choice(const Keyword& text) : text_(text), kind_(kind_of<Kind>(text)) {}  // NOLINT: set from its text
    const Keyword& text() const { return text_; }
    Kind kind() const { return kind_; }
    bool operator==(Kind k) const { return kind_ == k; }

private:
    Keyword text_;
    Kind kind_;
};

// The fractal grids built by displacing midpoints, "rmd" and "dsq": their side
// is 2^k + 1, their Scale1 a fractal dimension between 2 and 3.
inline bool is_midpoint_grid(FractalKind kind) { return kind == FractalKind::rmd || kind == FractalKind::dsq; }

}  // namespace lorvenna
