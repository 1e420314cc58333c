#include "batch/batch_file.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>

#include "batch/carried_values.hpp"
#include "core/console.hpp"
#include "core/program_end.hpp"
#include "core/report_file.hpp"
#include "core/text_records.hpp"
#include "input/derived_values.hpp"
#include "input/fractal_kind.hpp"
#include "numerics/constants.hpp"
#include "numerics/fixed_field.hpp"

namespace lorvenna {
namespace {

constexpr std::string_view template_lines[] = {
    "  Areal   SampA  maxSa   minSa  StepSa Sampfac  Method Species      maxD       minD   Dfluc  Flucmy FlucStD "
    "  DWD        SWD   Class   SWDmy  SWDStD   DWDmy  DWDStD  Aggreg AreaHet   NicheN  RndHet   FracM   Scale1  "
    "  Scale2 Range Gradient DivInd Permut  GridHet",
    "    100      20     12       4       4       1  dep         20    10.000 0.00000001   0.000   0.500   0.010  "
    " power   normal       6   3.000   1.000   0.900   0.000   2.000   5.000    5.000  rnd      rmd      2.000     "
    "1.500  10.5   10.000    sha     20  fix",
    "   1000       1      1       1       1       1  ind          1     0.100 0.00100000   0.000   0.000   0.000  "
    " linear    logn       1   1.000   1.000   1.000   0.000   1.000  10.000    0.000  rnd      rmd      2.300     "
    "1.300 100.0      0.0   simp     10  rnd",
    "    200     100    100     100       1       1  seq        200    10.000 0.00000000   0.000   0.500   0.010  "
    " rnd       logn      30   5.000   1.000   1.000   0.200   0.500  20.000  100.000  fix      super    1.500     "
    "3.000   0.0    0.000   evar      2  fix",
    "     20     20     100     100       1       1  oct        100     1.000 0.00000000   0.000   0.500   0.010  "
    " normal  normal      10   5.000   2.000  10.000   1.000   3.000  20.000    5.000  fix      super    2.000     "
    "3.000  20.5   50.000    sha     20  fix",
    "    100     100    100     100       1       1  seq        100     1.000 0.00000000   0.000   0.500   0.010  "
    " logn    normal      10   5.000   1.000   1.000   0.100   3.000  20.000    5.000  fix      rmd      3.000     "
    "3.000  10.0    1.000   evar     20  rnd",
};

// Most individuals one species may have: cell and sample counts are 32-bit.
constexpr double countable_individuals = static_cast<double>(count_limit);

// The first `count` characters of a keyword as the message shows them.
std::string excerpt(const Keyword& k, std::size_t count) {
    std::string s = printable(k.substr(0, count));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string file_label(const WorkArea& wa) {
    return wa.batch_file_name.empty() ? std::string("the batch file") : "the batch file " + printable(wa.batch_file_name);
}

[[noreturn]] void batch_read_failure(const WorkArea& wa) {
    end_program(exit_error, " Error while reading " + file_label(wa) + ": the file could not be read further");
}

// Decoding of one column into the parameter set; false when the token is not of the column's type.
using Decoder = std::function<bool(ParameterSet&, const std::string&)>;

Decoder integer_column(int ParameterSet::*member) {
    return [member](ParameterSet& p, const std::string& token) {
        const auto v = parse_int32(token);
        if (!v) return false;
        p.*member = *v;
        return true;
    };
}

Decoder real_column(float ParameterSet::*member) {
    return [member](ParameterSet& p, const std::string& token) {
        const auto v = parse_float(token);
        if (!v) return false;
        p.*member = *v;
        return true;
    };
}

template <typename Kind>
Decoder keyword_column(Choice<Kind> ParameterSet::*member) {
    return [member](ParameterSet& p, const std::string& token) {
        p.*member = keyword(token);  // the first 7 characters are kept
        return true;
    };
}

// The columns of a row, in file order.
const std::vector<Decoder>& row_columns() {
    static const std::vector<Decoder> columns = {
        integer_column(&ParameterSet::Areal),   integer_column(&ParameterSet::SampA),
        integer_column(&ParameterSet::maxSa),   integer_column(&ParameterSet::minSa),
        integer_column(&ParameterSet::StepSa),  integer_column(&ParameterSet::Sampfac),
        keyword_column(&ParameterSet::Method),  integer_column(&ParameterSet::Species),
        real_column(&ParameterSet::maxD),       real_column(&ParameterSet::minD),
        real_column(&ParameterSet::Dfluc),      real_column(&ParameterSet::Flucmy),
        real_column(&ParameterSet::Flucvar),    keyword_column(&ParameterSet::DWD),
        keyword_column(&ParameterSet::SWD),     integer_column(&ParameterSet::Class),
        real_column(&ParameterSet::SWDmy),      real_column(&ParameterSet::SWDvar),
        real_column(&ParameterSet::DWDmy),      real_column(&ParameterSet::DWDvar),
        real_column(&ParameterSet::Aggr),       real_column(&ParameterSet::AreaHet),
        real_column(&ParameterSet::NicheNo),    keyword_column(&ParameterSet::RndHet),
        keyword_column(&ParameterSet::Fractal), real_column(&ParameterSet::Scale1),
        real_column(&ParameterSet::Scale2),     real_column(&ParameterSet::Range),
        real_column(&ParameterSet::HabGrad),    keyword_column(&ParameterSet::DivInd),
        integer_column(&ParameterSet::Permut),  keyword_column(&ParameterSet::GridHet),
    };
    return columns;
}

// Reads the next row and splits it; ends the program at the end of the batch
// and at a line that cannot be taken apart.
std::vector<std::string> next_row_fields(WorkArea& wa, std::string& row_text) {
    if (!wa.batch_file) end_program(exit_ok, " End of batch file reached");
    TextLine line;
    const LineRead got = read_text_line(*wa.batch_file, line);
    if (got == LineRead::read_error) batch_read_failure(wa);
    if (got == LineRead::end_of_file) end_program(exit_ok, " End of batch file reached");
    ++wa.rows_read;
    // The header is line 1.
    const std::string where = "line " + std::to_string(static_cast<long long>(wa.rows_read) + 1) + " of " + file_label(wa);
    if (line.overlong)
        end_program(exit_error, " Error while reading " + where + ": it is longer than " +
                                    std::to_string(max_line_length) + " characters");
    SplitFields split = split_fields(line.text);
    if (split.fault == SplitFields::Fault::too_many_fields)
        end_program(exit_error, " Error while reading " + where + ": it holds more than " +
                                    std::to_string(max_fields) + " fields");
    if (split.fault == SplitFields::Fault::field_too_long)
        end_program(exit_error, " Error while reading " + where + ": field " + std::to_string(split.fault_field) +
                                    " is longer than " + std::to_string(max_field_length) + " characters");
    if (split.fields.empty()) {
        --wa.rows_read;
        end_program(exit_ok, " End of batch file reached");
    }
    row_text = line.text;
    return std::move(split.fields);
}

void decode_row(WorkArea& wa, const std::vector<std::string>& fields, const std::string& row_text) {
    const auto& columns = row_columns();
    for (std::size_t k = 0; k < fields.size() && k < columns.size(); ++k) {
        if (!columns[k](wa.params, fields[k]))
            end_program(exit_error, " Error while reading program settings: " + printable(fields[k]) + "\n " +
                                        printable(row_text));
    }
}

[[noreturn]] void refuse(const std::string& message, const std::string& value) {
    end_program(exit_error, message + value);
}

std::int64_t squared(int side) { return static_cast<std::int64_t>(side) * static_cast<std::int64_t>(side); }

// The checks of a decoded row, in their fixed order; the first failing one ends the program.
void check_row(ParameterSet& p, int grid_side) {
    const std::int64_t sample_cells = squared(p.SampA);
    const double grid_cells = static_cast<double>(squared(grid_side));
    if (p.SampA < 1 || p.SampA > grid_side) refuse(" Error while reading area: ", int_field_min(p.SampA, 3));
    if (p.maxSa < 1 || p.maxSa > sample_cells)
        refuse(" Error while reading max. sample size: ", int_field_min(p.maxSa, 3));
    if (p.minSa < 1 || p.minSa > p.maxSa || p.minSa > sample_cells)
        refuse(" Error while reading min. sample size: ", int_field_min(p.minSa, 3));
    if (p.StepSa < 1 || p.StepSa > p.maxSa) refuse(" Error while reading step width: ", int_field_min(p.StepSa, 3));
    if (p.Sampfac < 1 || p.Sampfac > 10) refuse(" Error while reading sample factor ", int_field_min(p.Sampfac, 2));
    if (p.Method == Design::other)
        refuse(" Error while reading method of sampling: ", excerpt(p.Method.text(), 3));
    if (p.Species < 1) refuse(" Error while reading No. species: ", int_field_min(p.Species, 3));
    if (p.maxD > 0.0f && p.minD > p.maxD) refuse(" Error while reading min. density: ", real_field_min(p.minD, 9, 5));
    if (p.Dfluc < -1.0f || p.Dfluc > 1.0f)
        refuse(" Error while reading type of density fluct.: ", real_field_min(p.Dfluc, 7, 2));
    if (p.Flucmy < 0.0f || p.Flucmy > 1.0f)
        refuse(" Error while reading mean of density fluct.: ", real_field_min(p.Flucmy, 7, 2));
    if (p.Flucvar < 0.0f || p.Flucvar > 1.0f)
        refuse(" Error while reading standard deviation of density fluct.: ", real_field_min(p.Flucvar, 7, 2));
    if (p.DWD == DensityForm::other)
        refuse(" Error while reading DWD distribution: ", excerpt(p.DWD.text(), 6));
    if (p.SWD == WeightForm::other) refuse(" Error while reading SWD distribution: ", excerpt(p.SWD.text(), 6));
    if (p.Class < 0 || (p.Class > max_weight_classes && p.Species >= p.Class))
        refuse(" Error while reading No. of weight classes: ", int_field_min(p.Class, 2));
    if (p.SWDmy < 1.0f || p.SWDmy > 50.0f) refuse(" Error while reading mean of SWD: ", real_field_min(p.SWDmy, 5, 2));
    if (p.SWDvar < 0.0f || p.SWDvar > 50.0f)
        refuse(" Error while reading standard deviation of SWD: ", real_field_min(p.SWDvar, 5, 2));
    if (p.Permut < 1 || p.Permut > 20) refuse(" Error while reading the number of permutations", int_field_min(p.Permut, 4));
    // exp(Class * 0.693147): a hair below 2^Class, as in the dialogue, so 2^Class itself is refused.
    const float dwd_bound = std::exp(static_cast<float>(p.Class) * ln2_six_digits);
    if (p.DWDmy < 0.0f || p.DWDmy > dwd_bound) refuse(" Error while reading mean of DWD: ", real_field_min(p.DWDmy, 7, 2));
    if (p.DWDvar < 0.0f || p.DWDvar > dwd_bound)
        refuse(" Error while reading standard deviation  of DWD: ", real_field_min(p.DWDvar, 7, 2));
    if (p.Aggr < 0.0f || p.Aggr > grid_cells) refuse(" Error while reading aggregation: ", real_field_min(p.Aggr, 7, 2));
    if (p.AreaHet < 0.0f || p.AreaHet > grid_cells)
        refuse(" Error while reading degree of areal heterogeneity: ", real_field_min(p.AreaHet, 7, 2));
    if (p.NicheNo < 0.0f) refuse(" Error while reading niche coefficient: ", real_field_min(p.NicheNo, 7, 2));
    if (p.Scale1 < 1.0f) refuse(" Error while reading the first fractal coefficient: ", real_field_min(p.Scale1, 7, 2));
    clamp_fractal_dimension(p);
    if (p.Scale2 <= 0.0f) refuse(" Error while reading the second fractal coefficient: ", real_field_min(p.Scale2, 7, 2));
    if (p.Range < 0.0f) refuse(" Error while reading range coefficient: ", real_field_min(p.Range, 7, 2));
    if (p.HabGrad < 0.0f) refuse(" Error while reading coefficient of habitat gradient: ", real_field_min(p.HabGrad, 7, 2));
    if (p.DivInd == DiversityIndex::other)
        refuse(" Error while reading diversity index: ", excerpt(p.DivInd.text(), 6));
    if (p.RndHet == Heterogeneity::other)
        refuse(" Error while reading fixed placing parameter: ", excerpt(p.RndHet.text(), 3));
    if (p.GridHet == Heterogeneity::other)
        refuse(" Error while reading fixed grid heterogeneity: ", excerpt(p.GridHet.text(), 3));
}

}  // namespace

void write_batch_template(Io& io) {
    ReportFile file("lorvenna.txt");
    file.open(io);
    for (auto line : template_lines) file.line(line);
    file.close();
}

bool read_batch_header(WorkArea& wa) {
    if (!wa.batch_file) return false;
    TextLine header;  // never interpreted; a longer header is simply cut
    const LineRead got = read_text_line(*wa.batch_file, header);
    if (got == LineRead::end_of_file) return false;
    if (got == LineRead::read_error)
        end_program(exit_error, " Error while reading data: " + printable(header.text) + "\n Error while reading " +
                                    file_label(wa) + ": the header line could not be read");
    return true;
}

void read_and_settle_row(WorkArea& wa, bool console) {
    std::string row_text;
    const std::vector<std::string> fields = next_row_fields(wa, row_text);
    // A short row keeps what the rows before it left.
    if (wa.rows_read > 1) wa.params = carried_parameters(wa.params, wa.derived);
    decode_row(wa, fields, row_text);
    ParameterSet& p = wa.params;
    DerivedValues& d = wa.derived;
    if (p.AreaHet == 0.0f) p.Fractal = keyword("");
    if (console) warn_if_no_fractal_grid(wa.io, p);
    d.grid_side = grid_side_for(p);
    if (console && is_midpoint_grid(p.Fractal.kind())) print_rescaling(wa.io, d.grid_side);
    check_row(p, d.grid_side);
    derive_sample_sizes(p, d, true);
    d.species = p.Species;
    derive_densities(p, d);
    if (wa.answers.sampling() && d.max_individuals > countable_individuals)
        refuse(" Error while reading max. density: ",
               real_field_min(p.maxD, 9, 3) + " (" + real_field_min(d.max_individuals, 1, 0) +
                   " individuals per species are more than can be counted)");
}

}  // namespace lorvenna
