// lorvenna._engine: the engine in the Python process.  A run goes on its own
// thread with the GIL released, while the calling thread wakes every 50 ms,
// takes the GIL for a moment and lets Python look at its signals: Ctrl-C (a
// notebook's interrupt) raises there, and the engine, told through its stop
// flag, ends the session in order at the next species or pass.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "bridge.hpp"
#include "csv_columns.hpp"

namespace py = pybind11;

namespace lorvenna_py {
namespace {

template <typename T>
py::array_t<T> numpy_copy(const std::vector<T>& values) {
    py::array_t<T> array(static_cast<py::ssize_t>(values.size()));
    if (!values.empty()) std::memcpy(array.mutable_data(), values.data(), values.size() * sizeof(T));
    return array;
}

py::array_t<bool> numpy_bools(const std::vector<std::uint8_t>& values) {
    py::array_t<bool> array(static_cast<py::ssize_t>(values.size()));
    bool* out = array.mutable_data();
    for (std::size_t i = 0; i < values.size(); ++i) out[i] = values[i] != 0;
    return array;
}

const char* kind_name(CsvColumn::Kind kind) {
    switch (kind) {
        case CsvColumn::Kind::whole: return "whole";
        case CsvColumn::Kind::real: return "real";
        case CsvColumn::Kind::logical: return "logical";
        case CsvColumn::Kind::text: return "text";
    }
    return "text";
}

// A table as (rows, [(name, kind, values, missing), ...]): values a NumPy
// array (int64, float64, bool) or, for text, a list of str.
py::tuple table_object(const CsvTable& table) {
    py::list columns;
    for (const CsvColumn& c : table.columns) {
        py::object values;
        switch (c.kind) {
            case CsvColumn::Kind::whole: values = numpy_copy(c.wholes); break;
            case CsvColumn::Kind::real: values = numpy_copy(c.reals); break;
            case CsvColumn::Kind::logical: values = numpy_bools(c.truths); break;
            case CsvColumn::Kind::text: values = py::cast(c.texts); break;
        }
        columns.append(py::make_tuple(c.name, kind_name(c.kind), values, numpy_bools(c.missing)));
    }
    return py::make_tuple(table.rows, columns);
}

// A grid as a float64 array [y - 1, x - 1], the bottom row first.
py::array_t<double> grid_object(const AsciiGrid& grid) {
    py::array_t<double> array({static_cast<py::ssize_t>(grid.nrows), static_cast<py::ssize_t>(grid.ncols)});
    std::memcpy(array.mutable_data(), grid.values.data(), grid.values.size() * sizeof(double));
    return array;
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// What a run leaves, read into columns and grids off the GIL.
struct ReadResult {
    EngineResult engine;
    std::vector<std::pair<std::string, CsvTable>> tables;
    std::vector<std::pair<std::string, AsciiGrid>> grids;
};

void read_outputs(ReadResult& r) {
    for (auto& [name, text] : r.engine.files) {
        if (ends_with(name, ".csv"))
            r.tables.emplace_back(name.substr(0, name.size() - 4), read_csv_columns(text));
        else if (ends_with(name, ".asc"))
            r.grids.emplace_back(name.substr(0, name.size() - 4), read_ascii_grid(text));
        std::string().swap(text);
    }
}

py::dict run(const std::string& batch, const std::string& mode, std::uint32_t seed, bool run_seeds, int replicates,
             int jobs, bool habitat, float map_species, const std::string& rank_order, bool weights, bool rarefaction,
             int knots, int bootstraps) {
    EngineRequest request;
    request.batch = batch;
    request.mode = mode;
    request.seed = seed;
    request.run_seeds = run_seeds;
    request.replicates = replicates;
    request.jobs = jobs;
    request.habitat = habitat;
    request.map_species = map_species;
    request.rank_order = rank_order;
    request.weights = weights;
    request.rarefaction = rarefaction;
    request.knots = knots;
    request.bootstraps = bootstraps;

    volatile int stop = 0;
    ReadResult result;
    std::exception_ptr failure;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    py::object signal_error = py::none();
    {
        py::gil_scoped_release no_gil;
        std::thread engine([&] {
            try {
                result.engine = run_engine(request, &stop);
                read_outputs(result);
            } catch (...) {
                failure = std::current_exception();
            }
            {
                std::lock_guard lock(mutex);
                done = true;
            }
            finished.notify_all();
        });
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; })) {
            if (stop != 0) continue;
            lock.unlock();
            {
                py::gil_scoped_acquire gil;
                if (PyErr_CheckSignals() != 0) {
                    // The handler raised (KeyboardInterrupt for Ctrl-C): the
                    // session stops in order, and the Python side raises.
                    py::error_already_set raised;
                    signal_error = raised.value();
                    stop = 1;
                }
            }
            lock.lock();
        }
        lock.unlock();
        engine.join();
    }
    if (failure) std::rethrow_exception(failure);

    py::dict tables, grids;
    for (const auto& [name, table] : result.tables) tables[py::str(name)] = table_object(table);
    for (const auto& [name, grid] : result.grids) grids[py::str(name)] = grid_object(grid);
    py::dict out;
    py::list faults;
    for (const RowFault& f : result.engine.faults) faults.append(py::make_tuple(f.line, f.cause, f.message));
    out["status"] = result.engine.status;
    out["faults"] = faults;
    out["messages"] = result.engine.messages;
    out["tables"] = tables;
    out["grids"] = grids;
    out["signal_error"] = signal_error;
    return out;
}

// The estimators (and curves) on field data, run with the GIL released: the
// status, the engine's messages, the tables as run() gives them, and the
// reader's fault (line, column, assemblage, reason, the whole message) or None.
py::dict estimate(const std::string& data, const std::string& datatype, bool rarefaction, int knots, int bootstraps,
                  std::uint32_t seed) {
    EstimateRequest request{data, datatype, rarefaction, knots, bootstraps, seed};
    EstimateResult result;
    std::vector<std::pair<std::string, CsvTable>> tables;
    {
        py::gil_scoped_release no_gil;
        result = run_estimate(request);
        for (auto& [name, text] : result.files)
            if (ends_with(name, ".csv"))
                tables.emplace_back(name.substr(0, name.size() - 4), read_csv_columns(text, {"assemblage"}));
    }
    py::dict out, parsed;
    for (const auto& [name, table] : tables) parsed[py::str(name)] = table_object(table);
    out["status"] = result.status;
    out["messages"] = result.messages;
    out["tables"] = parsed;
    out["fault"] = result.refused ? py::object(py::make_tuple(result.fault.line, result.fault.column,
                                                              result.fault.assemblage, result.fault.reason,
                                                              result.fault.described))
                                  : py::object(py::none());
    return out;
}

// Real parameters as batch text: the shortest text of the single-precision
// value the engine will hold, when the engine reads that text back to the
// same value (it reads a double and rounds it); else the shortest text of
// the double itself.
std::vector<std::string> format_reals(const std::vector<double>& values) {
    std::vector<std::string> out;
    out.reserve(values.size());
    char buffer[64];
    for (const double v : values) {
        const float f = static_cast<float>(v);
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, f);
        double back = 0.0;
        std::from_chars(buffer, end, back);
        if (error != std::errc() || static_cast<float>(back) != f) end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        out.emplace_back(buffer, end);
    }
    return out;
}

}  // namespace
}  // namespace lorvenna_py

PYBIND11_MODULE(_engine, m) {
    using namespace lorvenna_py;
    m.doc() = "The Lorvenna engine in the Python process (use the lorvenna package, not this module)";
    m.def("parameters", [] {
        py::list table;
        for (const ParameterInfo& p : engine_parameters()) {
            py::dict d;
            d["column"] = p.column;
            d["label"] = p.label;
            d["kind"] = p.kind;
            d["allowed"] = p.allowed;
            d["keywords"] = p.keywords;
            table.append(d);
        }
        return table;
    }, "The engine's parameters in batch column order: column, label, kind, allowed values, keywords.");
    m.def("run", &run, py::arg("batch"), py::arg("mode"), py::arg("seed"), py::arg("run_seeds"),
          py::arg("replicates"), py::arg("jobs"), py::arg("habitat"), py::arg("map_species"),
          py::arg("rank_order"), py::arg("weights"), py::arg("rarefaction"), py::arg("knots"),
          py::arg("bootstraps"),
          "Runs batch rows as a scripted session; returns status, messages, tables, grids and the error a "
          "signal handler raised while it ran (None when none did).");
    m.def("estimate", &estimate, py::arg("data"), py::arg("datatype"), py::arg("rarefaction"),
          py::arg("knots"), py::arg("bootstraps"), py::arg("seed"),
          "Runs the estimators (and with rarefaction the curves) of `lorvenna estimate` on the text of a data "
          "file; returns status, messages, tables and the reader's fault (None when it took the data).");
    m.def("template", [] {
        std::string text;
        {
            py::gil_scoped_release no_gil;
            text = engine_template();
        }
        return text;
    }, "The template batch file the engine writes in mode b.");
    m.def("parse_csv", [](const std::string& text, const std::vector<std::string>& as_written) {
        CsvTable table;
        {
            py::gil_scoped_release no_gil;
            table = read_csv_columns(text, as_written);
        }
        return table_object(table);
    }, py::arg("text"), py::arg("as_written") = std::vector<std::string>{},
    "A CSV table as (rows, [(name, kind, values, missing), ...]); the columns named in as_written are texts "
    "as written.");
    m.def("parse_grid", [](const std::string& text) { return grid_object(read_ascii_grid(text)); },
          "An ESRI ASCII grid as an array [y - 1, x - 1], the bottom row first.");
    m.def("format_reals", &format_reals, "Reals as the batch text the engine reads back to the same value.");
}
