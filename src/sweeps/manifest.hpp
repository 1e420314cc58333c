#pragma once
// The manifest of an output folder: what made it (version, batch and
// rank-order files by checksum, seed word, the options that shape the output,
// the slice of rows) and, after every finished pass, the size of every file.
// Merge joins folders by it and resume cuts an unfinished pass with it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace lorvenna {

inline constexpr const char* manifest_name = "lorvenna-manifest.txt";

// The state a pass leaves for the next when passes continue one stream.
struct StreamState {
    std::uint32_t seed = 0;
    float heterogeneity = 0.0f;
    float range_x = 0.0f, range_y = 0.0f;
};

struct ManifestRun {
    int run = 0;
    long long row = 0;
    int replicate = 1;
    std::uint32_t seed = 0;         // at the start of the pass
    StreamState after;              // at its end
    std::vector<std::uint64_t> sizes;  // of every file after the pass, in the order of `files`
};

struct Manifest {
    std::string version;
    std::string command;  // the options that shape the output, in a fixed order
    std::string batch, batch_checksum;
    std::string rank_order, rank_order_checksum;
    std::uint32_t seed = 0;
    bool run_seeds = false;
    int replicates = 1;
    long long first_row = 0, last_row = 0;  // the slice; 0: every row
    std::vector<std::string> files;
    std::vector<std::uint64_t> head;        // sizes before the first pass
    std::vector<ManifestRun> runs;
    bool finished = false;
    int status = 0;

    // Everything but the runs, as one line per item (the part two slices of one sweep share).
    std::string origin() const;
};

// FNV-1a of a file's bytes as 16 hex digits; empty when it cannot be read.
std::string file_checksum(const std::filesystem::path& path);

// Reads a manifest; nullopt when there is none.  A last line cut by a kill is left out.
std::optional<Manifest> read_manifest(const std::filesystem::path& path);

// Writes the manifest as it grows: the head once, a line per finished pass,
// the end.  Every line is flushed when written.
class ManifestWriter {
public:
    // Creates the manifest with the head of `m` and the runs it already holds.
    bool start(const std::filesystem::path& path, const Manifest& m);
    void run(const ManifestRun& r);
    void finish(int status);
    bool active() const { return out_ != nullptr; }

private:
    std::unique_ptr<std::ostream> out_;
};

}  // namespace lorvenna
