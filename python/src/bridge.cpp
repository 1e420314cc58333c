// The one file of the module that touches the engine: a scripted session run
// through run_session() on a MemoryFiles that serves the batch rows (and
// rank-order blocks) as input files and keeps the tables and grids the
// session writes, and `lorvenna estimate` run the same way on field data.
// The fixed-width reports, which nobody reads here, are dropped as they are
// written.
#include "bridge.hpp"

#include <filesystem>
#include <stdexcept>
#include <sstream>

#include "core/keyword.hpp"
#include "core/memory_files.hpp"
#include "data/parameter_table.hpp"
#include "driver/estimate_command.hpp"
#include "driver/session.hpp"
#include "input/field_data.hpp"

namespace lorvenna_py {

namespace {

// The names the engine knows its inputs by; they appear in its messages.
const char* const batch_name = "params";
const char* const rank_order_name = "abundances";
const char* const field_data_name = "data";

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

lorvenna::MemoryFiles kept_tables_and_grids() {
    lorvenna::MemoryFiles files;
    files.keep = [](const std::string& name) {
        return ends_with(name, ".csv") || ends_with(name, ".asc") || name == "lorvenna.txt";
    };
    return files;
}

}  // namespace

EngineResult run_engine(const EngineRequest& request, const volatile int* stop) {
    lorvenna::MemoryFiles files = kept_tables_and_grids();
    files.inputs[batch_name] = request.batch;
    lorvenna::SessionOptions options;
    options.seed = request.seed;
    options.mode = lorvenna::keyword(request.mode);
    options.batch = batch_name;
    options.tidy = true;
    options.habitat = request.habitat;
    options.quiet = true;
    options.run_seeds = request.run_seeds;
    options.replicates = request.replicates;
    options.jobs = request.jobs;
    options.map_species = request.map_species;
    options.rarefaction.curves = request.rarefaction;
    options.rarefaction.knots = request.knots;
    options.rarefaction.bootstraps = request.bootstraps;
    if (!request.rank_order.empty()) {
        files.inputs[rank_order_name] = request.rank_order;
        options.source = lorvenna::keyword("o");
        options.rank_order = rank_order_name;
        options.weights = request.weights;
    }

    std::istringstream no_answers;
    std::ostringstream console, messages;
    lorvenna::Io io{no_answers, console, std::filesystem::path("lorvenna"), files};
    io.messages = &messages;
    io.quiet = true;
    // The passes beside the session's own thread see the flag itself; the
    // session's thread asks through the poll as well.
    io.stop_requested = stop;
    io.poll_interrupt = [stop] { return stop != nullptr && *stop != 0; };

    EngineResult result;
    for (const lorvenna::RowFault& f : lorvenna::batch_faults(io, options))
        result.faults.push_back(RowFault{f.line, f.cause, f.message});
    if (!result.faults.empty()) {
        result.status = 1;
        return result;
    }
    result.status = lorvenna::run_session(io, options);
    result.messages = messages.str();
    result.files = std::move(files.outputs);
    return result;
}

std::vector<ParameterInfo> engine_parameters() {
    std::vector<ParameterInfo> table;
    for (const lorvenna::ParameterDescriptor& d : lorvenna::parameter_table()) {
        ParameterInfo p{std::string(d.column), std::string(d.label),
                        d.kind() == lorvenna::ParameterKind::whole  ? "integer"
                        : d.kind() == lorvenna::ParameterKind::real ? "real"
                                                                   : "keyword",
                        std::string(d.allowed), {}};
        for (const std::string_view w : d.keywords()) p.keywords.emplace_back(w);
        table.push_back(std::move(p));
    }
    return table;
}

std::string engine_template() {
    lorvenna::MemoryFiles files = kept_tables_and_grids();
    lorvenna::SessionOptions options;
    options.seed = 1;
    options.mode = lorvenna::keyword("b");
    options.quiet = true;
    std::istringstream no_answers;
    std::ostringstream console, messages;
    lorvenna::Io io{no_answers, console, std::filesystem::path("lorvenna"), files};
    io.messages = &messages;
    io.quiet = true;
    if (lorvenna::run_session(io, options) != 0)
        throw std::runtime_error("the engine wrote no template: " + messages.str());
    return files.text("lorvenna.txt");
}

EstimateResult run_estimate(const EstimateRequest& request) {
    lorvenna::EstimateOptions options;
    if (request.datatype == "abundance")
        options.kind = lorvenna::FieldDataKind::abundance;
    else if (request.datatype == "incidence_freq")
        options.kind = lorvenna::FieldDataKind::incidence_frequencies;
    else if (request.datatype == "incidence_raw")
        options.kind = lorvenna::FieldDataKind::incidence_raw;
    else
        throw std::invalid_argument("no datatype " + request.datatype);
    options.file = field_data_name;
    options.seed = request.seed;
    options.curves.curves = request.rarefaction;
    options.curves.knots = request.knots;
    options.curves.bootstraps = request.bootstraps;

    lorvenna::MemoryFiles files = kept_tables_and_grids();
    files.inputs[field_data_name] = request.data;
    std::istringstream no_answers;
    std::ostringstream console, messages;
    lorvenna::Io io{no_answers, console, std::filesystem::path("lorvenna"), files};
    io.messages = &messages;
    io.quiet = true;

    EstimateResult result;
    result.status = lorvenna::run_estimate_command(io, options);
    result.messages = messages.str();
    result.files = std::move(files.outputs);
    if (result.status != 0 && result.files.empty()) {
        // The command names the fault in words; read the data once more for
        // its parts, so the caller can point at the row and column.
        std::istringstream again(request.data);
        const lorvenna::FieldDataRead read = lorvenna::read_field_data(again, options.kind);
        if (!read.data) {
            result.refused = true;
            result.fault = DataFault{read.fault.line, read.fault.column, read.fault.assemblage, read.fault.message,
                                     lorvenna::describe(read.fault)};
        }
    }
    return result;
}

}  // namespace lorvenna_py
