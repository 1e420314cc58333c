#include "batch/batch_file.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <algorithm>
#include <string_view>

#include "batch/carried_values.hpp"
#include "core/console.hpp"
#include "core/program_end.hpp"
#include "core/report_file.hpp"
#include "core/text_records.hpp"
#include "data/parameter_table.hpp"
#include "input/derived_values.hpp"
#include "input/fractal_kind.hpp"
#include "numerics/constants.hpp"
#include "numerics/fixed_field.hpp"

namespace lorvenna {
namespace {

// The example rows of the template, in the columns of its header.
constexpr std::string_view template_rows[] = {
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

// The header line of a batch file: every parameter's name in column order.
std::string template_header() {
    std::string line;
    for (const ParameterDescriptor& d : parameter_table()) line += blanks(d.header_indent) + std::string(d.column);
    return line;
}

// Most individuals one species may have: cell and sample counts are 32-bit.
constexpr double countable_individuals = static_cast<double>(count_limit);

std::string file_label(const BatchInput& batch) {
    return batch.name.empty() ? std::string("the batch file") : "the batch file " + printable(batch.name);
}

[[noreturn]] void batch_read_failure(const BatchInput& batch) {
    end_program(exit_error, " Error while reading " + file_label(batch) + ": the file could not be read further");
}

// Reads the next row and splits it; nothing at the end of the batch (the end
// of the file or a blank line).  Ends the program at a line that cannot be
// taken apart.
std::optional<std::vector<std::string>> next_row_fields(BatchInput& batch, std::string& row_text) {
    if (!batch.file) return std::nullopt;
    TextLine line;
    const LineRead got = read_text_line(*batch.file, line);
    if (got == LineRead::read_error) batch_read_failure(batch);
    if (got == LineRead::end_of_file) return std::nullopt;
    ++batch.rows_read;
    // The header is line 1.
    const std::string where = "line " + std::to_string(static_cast<long long>(batch.rows_read) + 1) + " of " + file_label(batch);
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
        --batch.rows_read;
        return std::nullopt;
    }
    row_text = line.text;
    return std::move(split.fields);
}

void decode_row(ParameterSet& p, const std::vector<std::string>& fields, const std::string& row_text) {
    const auto columns = parameter_table();
    for (std::size_t k = 0; k < fields.size() && k < columns.size(); ++k) {
        if (!columns[k].decode(p, fields[k]))
            end_program(exit_error, " Error while reading program settings: " + printable(fields[k]) + "\n " +
                                        printable(row_text));
    }
}

// The descriptors of the checked parameters, in the order their checks run.
const std::vector<const ParameterDescriptor*>& checks_in_order() {
    static const std::vector<const ParameterDescriptor*> order = [] {
        std::vector<const ParameterDescriptor*> v;
        for (const ParameterDescriptor& d : parameter_table())
            if (d.accepts != nullptr) v.push_back(&d);
        std::sort(v.begin(), v.end(), [](auto a, auto b) { return a->check_order < b->check_order; });
        return v;
    }();
    return order;
}

// The checks of a decoded row, in their fixed order; the first failing one
// ends the program.  A fractal dimension of a midpoint grid is then held to
// [2, 3] (no check after the first fractal coefficient's reads it).
void check_row(ParameterSet& p, int grid_side) {
    for (const ParameterDescriptor* d : checks_in_order())
        if (!d->accepts(p, grid_side))
            end_program(exit_error, std::string(d->message) + d->shown_value(p), std::string(d->column));
    clamp_fractal_dimension(p);
}

}  // namespace

void write_batch_template(Io& io) {
    ReportFile file("lorvenna.txt");
    file.open(io);
    file.line(template_header());
    for (auto line : template_rows) file.line(line);
    file.close();
}

bool read_batch_header(Session& session) {
    BatchInput& batch = session.batch;
    if (!batch.file) return false;
    TextLine header;  // never interpreted; a longer header is simply cut
    const LineRead got = read_text_line(*batch.file, header);
    if (got == LineRead::end_of_file) return false;
    if (got == LineRead::read_error)
        end_program(exit_error, " Error while reading data: " + printable(header.text) + "\n Error while reading " +
                                    file_label(batch) + ": the header line could not be read");
    return true;
}

RowRead read_and_settle_row(Session& session, bool console) {
    std::string row_text;
    const std::optional<std::vector<std::string>> fields = next_row_fields(session.batch, row_text);
    if (!fields) return RowRead::end;
    ParameterSet& p = session.pass.params;
    DerivedValues& d = session.pass.derived;
    // A short row keeps what the rows before it left.
    if (session.batch.rows_read > 1) p = carried_parameters(p, d);
    decode_row(p, *fields, row_text);
    if (p.AreaHet == 0.0f) p.Fractal = keyword("");
    if (console) warn_if_no_fractal_grid(session.io, p);
    d.grid_side = grid_side_for(p);
    if (console && is_midpoint_grid(p.Fractal.kind())) print_rescaling(session.io, d.grid_side);
    check_row(p, d.grid_side);
    derive_sample_sizes(p, d, true);
    d.species = p.Species;
    derive_densities(p, d);
    if (session.answers.sampling() && d.max_individuals > countable_individuals)
        end_program(exit_error,
                    " Error while reading max. density: " + real_field_min(p.maxD, 9, 3) + " (" +
                        real_field_min(d.max_individuals, 1, 0) +
                        " individuals per species are more than can be counted)",
                    std::string(parameter(&ParameterSet::maxD).column));
    return RowRead::row;
}

}  // namespace lorvenna
