#pragma once
// One descriptor per parameter: its name in the batch file's header and the
// tidy tables, its label in the reports' settings block, where the parameter
// set holds it, its kind, the check a batch row must pass and the message
// that names a value failing it, and the value the pass used.  The batch
// reader, the template's header, the checks, the settings block, the tidy
// tables and the R package's list of parameters all read this one table.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "data/parameters.hpp"

namespace lorvenna {

enum class ParameterKind { whole, real, keyword };

// Where the parameter set holds a parameter.
using ParameterMember =
    std::variant<int ParameterSet::*, float ParameterSet::*, Choice<Design> ParameterSet::*,
                 Choice<DensityForm> ParameterSet::*, Choice<WeightForm> ParameterSet::*,
                 Choice<FractalKind> ParameterSet::*, Choice<DiversityIndex> ParameterSet::*,
                 Choice<Heterogeneity> ParameterSet::*>;

// A value as the reports and tables show it: a whole number, a single- or a
// double-precision real, or a keyword's text.
using ParameterValue = std::variant<std::int64_t, float, double, std::string>;

// How a value failing its check appears in the message: a whole number in at
// least `width` columns, a real with `decimals` in at least `width` columns,
// or the first `width` characters of a keyword.
struct ShownValue {
    int width = 0;
    int decimals = 0;
};

struct ParameterDescriptor {
    std::string_view column;  // batch header and tidy tables ("Aggreg")
    std::string_view label;   // settings block of the reports ("Aggr")
    ParameterMember member;
    int header_indent = 1;    // blanks before the name in the template's header line
    // The check of a decoded batch row, given the grid side of the row; none
    // for parameters every value of their kind is good for.
    bool (*accepts)(const ParameterSet&, int grid_side) = nullptr;
    int check_order = 0;      // rows are checked in this order, the first failure ends the row
    std::string_view message;  // " Error while reading aggregation: "
    ShownValue shown;
    std::string_view allowed;  // the values the check accepts, in words
    // The value the pass used, where it differs from the one given (the grid
    // side after rescaling, the sample sizes held to the design, ...).
    ParameterValue (*used)(const ParameterSet&, const DerivedValues&) = nullptr;

    ParameterKind kind() const;
    // The value as given, and the value the pass used.
    ParameterValue given(const ParameterSet& p) const;
    ParameterValue used_value(const ParameterSet& p, const DerivedValues& d) const;
    // Sets the parameter from a batch token; false when the token is not of its kind.
    bool decode(ParameterSet& p, const std::string& token) const;
    // The value as a failed check shows it.
    std::string shown_value(const ParameterSet& p) const;
    // The keywords a keyword parameter names its kinds by ("seq", "ind", ...); none for numbers.
    std::vector<std::string_view> keywords() const;
};

// Every parameter in the column order of a batch row.
std::span<const ParameterDescriptor> parameter_table();

// The descriptor of the parameter a member holds.
template <typename Member>
const ParameterDescriptor& parameter(Member ParameterSet::*member) {
    for (const ParameterDescriptor& d : parameter_table())
        if (const auto* m = std::get_if<Member ParameterSet::*>(&d.member); m != nullptr && *m == member) return d;
    return parameter_table().front();  // unreachable: every member has a descriptor
}

}  // namespace lorvenna
