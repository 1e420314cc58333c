#pragma once
// Going on with a run that was killed (a scheduler's wall-time limit, a node
// lost): the manifest of its folder says which passes finished, every file is
// cut back to what those passes wrote, and the run goes on with the next pass.
#include <optional>

#include "sweeps/manifest.hpp"
#include "data/session_options.hpp"
#include "core/io_seam.hpp"
#include "core/report_file.hpp"

namespace lorvenna {

struct Resumption {
    Manifest manifest;
    long long next_row = 1;  // data row of the next pass
    int next_replicate = 1;
    bool complete = false;   // every pass of the run finished: nothing to do
};

// The manifest a run with these options writes, before any pass: what made it
// and the files it writes with their sizes now.
Manifest describe_run(const Io& io, const SessionOptions& options, std::uint32_t session_seed,
                      const std::vector<const ReportFile*>& files);

// Reads the manifest in the output folder and cuts every file back to the
// last finished pass; nullopt when the folder holds no manifest (the run
// starts afresh).  Ends the session when the manifest belongs to another run
// (another batch file, seed word, version or options).
std::optional<Resumption> prepare_resumption(Io& io, const SessionOptions& options, std::uint32_t session_seed);

}  // namespace lorvenna
