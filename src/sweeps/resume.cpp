#include "sweeps/resume.hpp"

#include <filesystem>
#include <string>
#include <system_error>

#include "core/program_end.hpp"

namespace lorvenna {
namespace {

// The options that shape what a run writes, in a fixed order: two slices of
// one sweep have the same.
std::string shaping_options(const SessionOptions& o) {
    std::string c = "--mode " + std::string(o.mode ? o.mode->substr(0, 1) : "?");
    if (o.source) c += " --source " + o.source->substr(0, 1);
    if (o.weights) c += " --weights";
    if (o.diagonals) c += " --diagonals";
    if (o.map_species > 0.0f) c += " --map " + std::to_string(o.map_species);
    if (o.cells) c += " --cells";
    if (o.tidy) c += " --tidy";
    if (o.habitat) c += " --habitat";
    if (o.rarefaction.curves) {
        c += " --rarefaction --knots " + std::to_string(o.rarefaction.knots);
        if (o.rarefaction.endpoint > 0) c += " --endpoint " + std::to_string(o.rarefaction.endpoint);
        c += " --bootstraps " + std::to_string(o.rarefaction.bootstraps);
    }
    if (o.heterogeneity) c += " --heterogeneity " + std::to_string(*o.heterogeneity);
    return c;
}

Manifest expected_origin(const Io& io, const SessionOptions& o, std::uint32_t session_seed) {
    Manifest m;
    m.version = LORVENNA_VERSION;
    m.command = shaping_options(o);
    if (o.batch) {
        m.batch = *o.batch;
        m.batch_checksum = file_checksum(io.input_path(*o.batch));
    }
    if (o.rank_order) {
        m.rank_order = *o.rank_order;
        m.rank_order_checksum = file_checksum(io.input_path(*o.rank_order));
    }
    m.seed = session_seed;
    m.run_seeds = o.run_seeds;
    m.replicates = o.replicates;
    m.first_row = o.first_row;
    m.last_row = o.last_row;
    return m;
}

[[noreturn]] void refuse(const std::string& why) {
    end_program(exit_error, " Cannot resume: " + why + "; run it afresh without --resume, or into another folder");
}

}  // namespace

Manifest describe_run(const Io& io, const SessionOptions& options, std::uint32_t session_seed,
                      const std::vector<const ReportFile*>& files) {
    Manifest m = expected_origin(io, options, session_seed);
    for (const ReportFile* f : files) {
        m.files.push_back(f->name());
        m.head.push_back(f->size());
    }
    return m;
}

std::optional<Resumption> prepare_resumption(Io& io, const SessionOptions& options, std::uint32_t session_seed) {
    const auto found = read_manifest(io.output_path(manifest_name));
    if (!found) return std::nullopt;
    Resumption r;
    r.manifest = *found;
    const Manifest& m = r.manifest;
    const Manifest now = expected_origin(io, options, session_seed);
    if (m.version != now.version) refuse("the folder was written by version " + m.version);
    if (m.batch_checksum != now.batch_checksum) refuse("the batch file is not the one the folder was run from");
    if (m.rank_order_checksum != now.rank_order_checksum)
        refuse("the rank-order file is not the one the folder was run from");
    if (m.seed != now.seed) refuse("the folder was run from seed word " + std::to_string(m.seed));
    if (m.command != now.command || m.run_seeds != now.run_seeds || m.replicates != now.replicates ||
        m.first_row != now.first_row || m.last_row != now.last_row)
        refuse("the folder was run with other options (" + m.command + ")");
    if (m.finished) {
        r.complete = true;
        return r;
    }
    // Every file back to the size it had after the last finished pass.
    const std::vector<std::uint64_t>& sizes = m.runs.empty() ? m.head : m.runs.back().sizes;
    for (std::size_t i = 0; i < m.files.size(); ++i) {
        std::error_code ec;
        const auto now = std::filesystem::file_size(io.output_path(m.files[i]), ec);
        if (ec || now < sizes[i]) refuse("the file " + m.files[i] + " is shorter than its finished passes");
        std::filesystem::resize_file(io.output_path(m.files[i]), sizes[i], ec);
        if (ec) refuse("the file " + m.files[i] + " cannot be cut back (" + ec.message() + ")");
    }
    // The grids of passes that did not finish.
    const int last = m.runs.empty() ? 0 : m.runs.back().run;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(io.dir, ec)) {
        const std::string name = entry.path().filename().string();
        for (const char* prefix : {"habitat-", "map-"}) {
            const std::string p(prefix);
            if (name.rfind(p, 0) != 0 || name.size() <= p.size() + 4 || name.substr(name.size() - 4) != ".asc") continue;
            const std::string number = name.substr(p.size(), name.size() - p.size() - 4);
            if (number.find_first_not_of("0123456789") == std::string::npos && std::stoll(number) > last)
                std::filesystem::remove(entry.path(), ec);
        }
    }
    if (m.runs.empty()) {
        r.next_row = options.first_row > 0 ? options.first_row : 1;
    } else if (m.runs.back().replicate < options.replicates) {
        r.next_row = m.runs.back().row;
        r.next_replicate = m.runs.back().replicate + 1;
    } else {
        r.next_row = m.runs.back().row + 1;
    }
    return r;
}

}  // namespace lorvenna
