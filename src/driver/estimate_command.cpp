#include "driver/estimate_command.hpp"

#include <istream>
#include <memory>

#include "core/console.hpp"
#include "core/program_end.hpp"
#include "driver/session.hpp"
#include "numerics/run_seeds.hpp"
#include "reports/csv_row.hpp"
#include "reports/field_estimates_table.hpp"
#include "reports/rarefaction_table.hpp"
#include "statistics/diversity_curve.hpp"

namespace lorvenna {
namespace {

FrequencyCounts counts_of(const FieldData& data, const FieldAssemblage& a) {
    return data.kind == FieldDataKind::abundance ? frequency_counts(a.abundance) : frequency_counts(a.incidence);
}

// The seeds of one assemblage's bootstraps, its estimates' and its curves'
// apart: the same data and seed word give the same intervals whichever else
// is asked for.
std::uint64_t assemblage_seed(std::uint32_t seed, std::size_t index, std::uint64_t what) {
    return splitmix64(splitmix64(seed) ^ splitmix64(index) ^ what);
}

}  // namespace

int run_estimate_command(Io& io, const EstimateOptions& options) {
    const std::unique_ptr<std::istream> in = io.files.open_existing(io.input_path(options.file));
    if (!in) {
        warn_fixed(io, "lorvenna estimate: cannot open " + options.file + ": " +
                           io.files.open_failure(io.input_path(options.file)));
        return exit_error;
    }
    const FieldDataRead read = read_field_data(*in, options.kind);
    if (!read.data) {
        warn_fixed(io, "lorvenna estimate: " + options.file + ": " + describe(read.fault));
        return exit_error;
    }
    const FieldData& data = *read.data;
    const std::uint32_t seed = options.seed ? *options.seed : clock_seed_word();
    if (!options.seed) tell(io, "Seed word of the bootstraps: " + std::to_string(seed) + " (repeat with --seed " +
                                    std::to_string(seed) + ")");
    const int bootstraps = options.curves.bootstraps;
    try {
        ReportFile estimates("estimates.csv");
        open_field_estimates(estimates, io);
        for (std::size_t i = 0; i < data.assemblages.size(); ++i) {
            const FieldAssemblage& a = data.assemblages[i];
            write_field_estimates(estimates, a.name, counts_of(data, a),
                                  data.kind == FieldDataKind::incidence_raw ? &a.presence : nullptr, bootstraps,
                                  assemblage_seed(seed, i, 1));
        }
        estimates.close();
        if (!options.curves.curves) return exit_ok;
        ReportFile curves("rarefaction.csv");
        curves.open(io);
        curves.line(csv_header(rarefaction_columns("assemblage", false)));
        for (std::size_t i = 0; i < data.assemblages.size(); ++i) {
            const FieldAssemblage& a = data.assemblages[i];
            const FrequencyCounts counts = counts_of(data, a);
            const std::vector<std::int64_t> sizes =
                curve_sizes(counts.size, options.curves.endpoint > 0 ? options.curves.endpoint : 2 * counts.size,
                            options.curves.knots);
            CsvRow key;
            key.text(a.name);
            write_rarefaction_rows(curves, key.str(),
                                   diversity_curve(counts, sizes, bootstraps, assemblage_seed(seed, i, 2)), nullptr);
        }
        curves.close();
    } catch (const ProgramEnd& failure) {  // a file that cannot be written
        warn_fixed(io, failure.message);
        return failure.status;
    }
    return exit_ok;
}

}  // namespace lorvenna
