// The engine in the R session: a scripted session over rows and rank-order
// blocks held in memory, its tables and grids handed back as R values.
#include <Rcpp.h>

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>

#include "captured_files.h"
#include "core/keyword.hpp"
#include "data/parameter_table.hpp"
#include "driver/estimate_command.hpp"
#include "driver/session.hpp"
#include "r_console.h"
#include "tables.h"

namespace {

// The names the engine knows its inputs by; they appear in its messages.
const char* const batch_name = "params";
const char* const rank_order_name = "abundances";

Rcpp::CharacterVector lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return Rcpp::wrap(lines);
}

bool starts_with(const std::string& s, const std::string& head) { return s.compare(0, head.size(), head) == 0; }

// "habitat-12.asc" -> "12"
std::string run_of(const std::string& name, const std::string& head) {
    return name.substr(head.size(), name.size() - head.size() - 4);
}

}  // namespace

// Runs the rows of `batch` (a header line and one line per row) as
// `lorvenna --mode MODE --batch FILE --tidy --seed SEED --run-seeds
// --replicates K [--habitat] [--map N] [--rank-order FILE [--weights]]
// [--rarefaction --knots K --bootstraps B]` runs them, and returns the exit status, the engine's messages, every table and
// the grids.  Rows the engine refuses are returned as `faults` (the line of
// the batch text, the column of the failed parameter, the message), and
// nothing runs.
// [[Rcpp::export(name = ".engine_run")]]
Rcpp::List engine_run(const std::string& batch, const std::string& rank_order, bool weights, const std::string& mode,
                      double seed, int replicates, bool habitat, double map_species, bool progress,
                      bool rarefaction, int knots, int bootstraps) {
    lorvenna::MemoryFiles files = lorvenna_r::captured_files();
    files.inputs[batch_name] = batch;
    lorvenna::SessionOptions options;
    options.seed = static_cast<std::uint32_t>(seed);
    options.mode = lorvenna::keyword(mode);
    options.batch = batch_name;
    options.tidy = true;
    options.habitat = habitat;
    options.quiet = true;
    options.run_seeds = true;
    options.replicates = replicates;
    options.map_species = static_cast<float>(map_species);
    options.rarefaction.curves = rarefaction;
    options.rarefaction.knots = knots;
    options.rarefaction.bootstraps = bootstraps;
    if (!rank_order.empty()) {
        files.inputs[rank_order_name] = rank_order;
        options.source = lorvenna::keyword("o");
        options.rank_order = rank_order_name;
        options.weights = weights;
    }

    std::istringstream no_answers;
    std::ostringstream console, messages;
    lorvenna::Io io{no_answers, console, std::filesystem::path("lorvenna"), files};
    io.messages = &messages;
    io.quiet = true;
    lorvenna_r::ProgressBar bar;
    if (progress) io.progress = &bar;
    lorvenna_r::InterruptCheck interrupt;
    io.poll_interrupt = [&interrupt] { return interrupt(); };

    const std::vector<lorvenna::RowFault> refused = lorvenna::batch_faults(io, options);
    if (!refused.empty()) {
        Rcpp::IntegerVector line;
        Rcpp::CharacterVector cause, message;
        for (const lorvenna::RowFault& f : refused) {
            line.push_back(static_cast<int>(f.line));
            cause.push_back(f.cause);
            message.push_back(f.message);
        }
        return Rcpp::List::create(Rcpp::Named("status") = 1,
                                  Rcpp::Named("faults") = Rcpp::DataFrame::create(
                                      Rcpp::Named("line") = line, Rcpp::Named("cause") = cause,
                                      Rcpp::Named("message") = message, Rcpp::Named("stringsAsFactors") = false));
    }
    const int status = lorvenna::run_session(io, options);

    Rcpp::List tables, habitats, maps;
    for (auto& [name, text] : files.outputs) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0) {
            tables.push_back(lorvenna_r::csv_data_frame(text), name.substr(0, name.size() - 4));
        } else if (starts_with(name, "habitat-")) {
            habitats.push_back(lorvenna_r::ascii_grid_matrix(text, false), run_of(name, "habitat-"));
        } else if (starts_with(name, "map-")) {
            maps.push_back(lorvenna_r::ascii_grid_matrix(text, true), run_of(name, "map-"));
        }
        std::string().swap(text);
    }
    return Rcpp::List::create(Rcpp::Named("status") = status, Rcpp::Named("messages") = lines_of(messages.str()),
                              Rcpp::Named("tables") = tables, Rcpp::Named("habitat") = habitats,
                              Rcpp::Named("maps") = maps);
}

// Runs `lorvenna estimate (--abundance | --incidence | --incidence-raw) FILE
// [--rarefaction --knots K --bootstraps B] --seed SEED` on `data`, the text
// of a field-data file, and returns the exit status, the engine's messages
// (a refused file: its line, column and why) and the tables it wrote.
// [[Rcpp::export(name = ".engine_estimate")]]
Rcpp::List engine_estimate(const std::string& data, const std::string& datatype, bool rarefaction, int knots,
                           int bootstraps, double seed) {
    const char* const data_name = "field_data";
    lorvenna::MemoryFiles files = lorvenna_r::captured_files();
    files.inputs[data_name] = data;
    lorvenna::EstimateOptions options;
    if (datatype == "abundance")
        options.kind = lorvenna::FieldDataKind::abundance;
    else if (datatype == "incidence_freq")
        options.kind = lorvenna::FieldDataKind::incidence_frequencies;
    else if (datatype == "incidence_raw")
        options.kind = lorvenna::FieldDataKind::incidence_raw;
    else
        Rcpp::stop("unknown datatype " + datatype);
    options.file = data_name;
    options.seed = static_cast<std::uint32_t>(seed);
    options.curves.curves = rarefaction;
    options.curves.knots = knots;
    options.curves.bootstraps = bootstraps;

    std::istringstream no_answers;
    std::ostringstream console, messages;
    lorvenna::Io io{no_answers, console, std::filesystem::path("lorvenna"), files};
    io.messages = &messages;
    io.quiet = true;
    const int status = lorvenna::run_estimate_command(io, options);
    Rcpp::List tables;
    for (auto& [name, text] : files.outputs)
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0)
            tables.push_back(lorvenna_r::csv_data_frame(text), name.substr(0, name.size() - 4));
    return Rcpp::List::create(Rcpp::Named("status") = status, Rcpp::Named("messages") = lines_of(messages.str()),
                              Rcpp::Named("tables") = tables);
}

// The template batch file the engine writes in mode "b".
// [[Rcpp::export(name = ".engine_template")]]
std::string engine_template() {
    lorvenna::MemoryFiles files = lorvenna_r::captured_files();
    lorvenna::SessionOptions options;
    options.seed = 1;
    options.mode = lorvenna::keyword("b");
    options.quiet = true;
    std::istringstream no_answers;
    std::ostringstream console, messages;
    lorvenna::Io io{no_answers, console, std::filesystem::path("lorvenna"), files};
    io.messages = &messages;
    io.quiet = true;
    if (lorvenna::run_session(io, options) != 0) Rcpp::stop("the engine wrote no template: " + messages.str());
    return files.outputs["lorvenna.txt"];
}

// The engine's parameters in batch column order: the column name, the label
// of the reports' settings block, the kind ("integer", "real", "keyword"),
// the values its check allows and, for keywords, the words it takes.
// [[Rcpp::export(name = ".engine_parameters")]]
Rcpp::DataFrame engine_parameters() {
    Rcpp::CharacterVector column, label, kind, allowed, keywords;
    for (const lorvenna::ParameterDescriptor& d : lorvenna::parameter_table()) {
        column.push_back(std::string(d.column));
        label.push_back(std::string(d.label));
        kind.push_back(d.kind() == lorvenna::ParameterKind::whole  ? "integer"
                       : d.kind() == lorvenna::ParameterKind::real ? "real"
                                                                  : "keyword");
        allowed.push_back(std::string(d.allowed));
        std::string words;
        for (const std::string_view w : d.keywords()) words += (words.empty() ? "" : " ") + std::string(w);
        keywords.push_back(words);
    }
    return Rcpp::DataFrame::create(Rcpp::Named("column") = column, Rcpp::Named("label") = label,
                                   Rcpp::Named("kind") = kind, Rcpp::Named("allowed") = allowed,
                                   Rcpp::Named("keywords") = keywords, Rcpp::Named("stringsAsFactors") = false);
}

// A CSV table as a data frame, read as the package reads the engine's tables.
// [[Rcpp::export(name = ".parse_csv")]]
Rcpp::List parse_csv(const std::string& text) { return lorvenna_r::csv_data_frame(text); }

// An ESRI ASCII grid as a matrix m[x, y].
// [[Rcpp::export(name = ".parse_grid")]]
SEXP parse_grid(const std::string& text, bool whole) { return lorvenna_r::ascii_grid_matrix(text, whole); }

// Real parameters as batch text: the shortest text of the single-precision
// value the engine will hold, when the engine reads that text back to the
// same value (it reads a double and rounds it); else the shortest text of
// the double itself.
// [[Rcpp::export(name = ".format_reals")]]
Rcpp::CharacterVector format_reals(const Rcpp::NumericVector& x) {
    Rcpp::CharacterVector out(x.size());
    char buffer[64];
    for (R_xlen_t i = 0; i < x.size(); ++i) {
        const double v = x[i];
        const float f = static_cast<float>(v);
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, f);
        double back = 0.0;
        std::from_chars(buffer, end, back);
        if (error != std::errc() || static_cast<float>(back) != f)
            end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        out[i] = std::string(buffer, end);
    }
    return out;
}
