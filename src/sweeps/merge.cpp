#include "sweeps/merge.hpp"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <set>

#include "core/progress.hpp"
#include "sweeps/manifest.hpp"

namespace fs = std::filesystem;

namespace lorvenna {
namespace {

struct Slice {
    fs::path dir;
    Manifest manifest;
    int first_run() const { return manifest.runs.empty() ? 0 : manifest.runs.front().run; }
    int last_run() const { return manifest.runs.empty() ? 0 : manifest.runs.back().run; }
    std::uint64_t end(std::size_t file) const {
        return manifest.runs.empty() ? manifest.head[file] : manifest.runs.back().sizes[file];
    }
};

struct Refusal {
    std::string why;
};

// Copies bytes [from, to) of a file to the end of `out`.
void copy_range(const fs::path& path, std::uint64_t from, std::uint64_t to, std::ofstream& out) {
    if (to <= from) return;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Refusal{"cannot read " + path.string()};
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<char> buffer(std::size_t{1} << 20);
    std::uint64_t left = to - from;
    while (left > 0) {
        const auto chunk = static_cast<std::streamsize>(std::min<std::uint64_t>(left, buffer.size()));
        in.read(buffer.data(), chunk);
        if (in.gcount() != chunk) throw Refusal{path.string() + " is shorter than its manifest says"};
        out.write(buffer.data(), chunk);
        left -= static_cast<std::uint64_t>(chunk);
    }
}

// The run number of a per-pass grid file (habitat-12.asc, map-12.asc), or 0.
int run_of_grid_file(const std::string& name) {
    for (const std::string prefix : {"habitat-", "map-"}) {
        if (name.rfind(prefix, 0) != 0 || name.size() <= prefix.size() + 4 || name.substr(name.size() - 4) != ".asc")
            continue;
        const std::string number = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos) return 0;
        return std::stoi(number);
    }
    return 0;
}

std::vector<Slice> read_slices(const std::vector<std::string>& folders) {
    std::vector<Slice> slices;
    for (const std::string& folder : folders) {
        const auto m = read_manifest(fs::path(folder) / manifest_name);
        if (!m) throw Refusal{folder + " holds no manifest: only folders written with --out can be merged"};
        slices.push_back(Slice{folder, *m});
    }
    return slices;
}

void check_same_sweep(const std::vector<Slice>& slices) {
    const Manifest& a = slices.front().manifest;
    for (const Slice& s : slices) {
        const Manifest& b = s.manifest;
        const std::string pair = slices.front().dir.string() + " and " + s.dir.string();
        if (b.version != a.version)
            throw Refusal{pair + " were written by different versions (" + a.version + ", " + b.version + ")"};
        if (b.batch_checksum != a.batch_checksum || b.rank_order_checksum != a.rank_order_checksum)
            throw Refusal{pair + " were run from different batch or rank-order files"};
        if (b.seed != a.seed)
            throw Refusal{pair + " were run from different seed words (" + std::to_string(a.seed) + ", " +
                          std::to_string(b.seed) + ")"};
        if (!b.run_seeds)
            throw Refusal{s.dir.string() + " was run without --run-seeds: its passes depend on the passes before them"};
        if (b.command != a.command || b.replicates != a.replicates || b.files != a.files)
            throw Refusal{pair + " were run with different options (" + a.command + "; " + b.command + ")"};
    }
}

void check_runs(std::vector<Slice>& slices, bool allow_gaps) {
    std::map<int, std::string> owner;
    for (const Slice& s : slices) {
        if (!s.manifest.finished && !allow_gaps)
            throw Refusal{s.dir.string() + " did not finish: go on with it with --resume, or merge with --allow-gaps"};
        for (const ManifestRun& r : s.manifest.runs) {
            const auto [at, fresh] = owner.emplace(r.run, s.dir.string());
            if (!fresh)
                throw Refusal{"run " + std::to_string(r.run) + " is in both " + at->second + " and " + s.dir.string()};
        }
    }
    if (owner.empty()) throw Refusal{"the folders hold no finished run"};
    std::stable_sort(slices.begin(), slices.end(), [](const Slice& x, const Slice& y) {
        return x.first_run() < y.first_run();
    });
    int expected = owner.begin()->first;
    for (const auto& [run, dir] : owner) {
        if (run != expected && !allow_gaps)
            throw Refusal{"runs " + std::to_string(expected) + " to " + std::to_string(run - 1) +
                          " are in none of the folders (merge with --allow-gaps to join them anyway)"};
        expected = run + 1;
    }
    slices.erase(std::remove_if(slices.begin(), slices.end(), [](const Slice& s) { return s.manifest.runs.empty(); }),
                 slices.end());
}

// The sections of report file `f` in the slices, in order, and whether the
// merged file takes each: all of them, but the species map (written once per
// session, by the first pass that has the species) only from the first slice
// that wrote it.
template <typename Visit>
void for_each_section(const std::vector<Slice>& slices, std::size_t f, Visit visit) {
    const bool map = slices.front().manifest.files[f] == "Map.txt";
    bool map_written = false;
    for (std::size_t k = 0; k < slices.size(); ++k) {
        const std::uint64_t from = slices[k].manifest.head[f], to = slices[k].end(f);
        visit(k, from, to, !(map && (map_written || to == from)));
        map_written = map_written || (map && to > from);
    }
}

// The grids of single passes in each slice's folder (habitat-12.asc, map-12.asc).
std::vector<std::vector<fs::path>> grid_files(const std::vector<Slice>& slices) {
    std::vector<std::vector<fs::path>> grids(slices.size());
    for (std::size_t k = 0; k < slices.size(); ++k) {
        const Slice& s = slices[k];
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(s.dir, ec)) {
            const int run = run_of_grid_file(entry.path().filename().string());
            if (run >= s.first_run() && run <= s.last_run() && run > 0) grids[k].push_back(entry.path());
        }
    }
    return grids;
}

std::uint64_t size_of(const fs::path& file) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

// Writes the merged folder.  Its progress counts copies: every report file,
// and the grid files of each folder, weighed by their bytes.
void write_merged(const fs::path& into, const std::vector<Slice>& slices, StepListener* progress) {
    const Manifest& first = slices.front().manifest;
    const std::vector<std::vector<fs::path>> grids = grid_files(slices);
    std::vector<std::uint64_t> bytes(first.files.size(), 0);
    std::vector<std::uint64_t> grid_bytes(slices.size(), 0);
    if (progress != nullptr) {
        long long copies = 0;
        double work = 0.0;
        for (std::size_t f = 0; f < first.files.size(); ++f) {
            bytes[f] = first.head[f];
            for_each_section(slices, f, [&](std::size_t, std::uint64_t from, std::uint64_t to, bool taken) {
                if (taken) bytes[f] += to - from;
            });
            ++copies;
            work += static_cast<double>(bytes[f]);
        }
        for (std::size_t k = 0; k < slices.size(); ++k) {
            for (const fs::path& grid : grids[k]) grid_bytes[k] += size_of(grid);
            copies += grids[k].empty() ? 0 : 1;
            work += static_cast<double>(grid_bytes[k]);
        }
        progress->plan(copies, work);
    }
    long long copy = 0;
    Manifest merged = first;
    merged.runs.clear();
    merged.finished = true;
    merged.status = 0;
    merged.first_row = slices.front().manifest.first_row;
    merged.last_row = slices.back().manifest.last_row;
    std::vector<std::uint64_t> size = first.head;
    std::vector<std::vector<std::uint64_t>> section_start(slices.size());
    for (std::size_t f = 0; f < first.files.size(); ++f) {
        const std::string& name = first.files[f];
        std::ofstream out(into / name, std::ios::binary | std::ios::trunc);
        if (!out) throw Refusal{"cannot write " + (into / name).string()};
        if (progress != nullptr) progress->step_started(++copy, name);
        copy_range(slices.front().dir / name, 0, first.head[f], out);
        for_each_section(slices, f, [&](std::size_t k, std::uint64_t from, std::uint64_t to, bool taken) {
            section_start[k].push_back(size[f]);
            if (!taken) return;
            copy_range(slices[k].dir / name, from, to, out);
            size[f] += to - from;
        });
        out.close();
        if (!out) throw Refusal{"cannot write " + (into / name).string()};
        if (progress != nullptr) progress->step_finished(copy, static_cast<double>(bytes[f]));
    }
    // The manifest of the merged folder, with every run's sizes in it.
    for (std::size_t k = 0; k < slices.size(); ++k) {
        const Slice& s = slices[k];
        merged.finished = merged.finished && s.manifest.finished;
        for (const ManifestRun& r : s.manifest.runs) {
            ManifestRun m = r;
            for (std::size_t f = 0; f < m.sizes.size(); ++f) {
                const bool skipped_map = first.files[f] == "Map.txt" && section_start[k][f] ==
                                         (k + 1 < slices.size() ? section_start[k + 1][f] : size[f]);
                m.sizes[f] = skipped_map ? section_start[k][f] : section_start[k][f] + (r.sizes[f] - s.manifest.head[f]);
            }
            merged.runs.push_back(std::move(m));
        }
        if (grids[k].empty()) continue;
        if (progress != nullptr) progress->step_started(++copy, "grids of " + s.dir.string());
        std::error_code ec;
        for (std::size_t i = 0; i < grids[k].size(); ++i) {
            fs::copy_file(grids[k][i], into / grids[k][i].filename(), fs::copy_options::overwrite_existing, ec);
            if (progress != nullptr)
                progress->step_advanced(copy, static_cast<long long>(i + 1), static_cast<long long>(grids[k].size()));
        }
        if (progress != nullptr) progress->step_finished(copy, static_cast<double>(grid_bytes[k]));
    }
    ManifestWriter writer;
    if (!writer.start(into / manifest_name, merged)) throw Refusal{"cannot write the manifest in " + into.string()};
    if (merged.finished) writer.finish(0);
}

}  // namespace

int merge_folders(const std::string& out, const std::vector<std::string>& folders, bool allow_gaps,
                  std::ostream& console, std::ostream& messages, StepListener* progress) {
    const fs::path into(out);
    const fs::path partial = into.string() + ".partial-" + std::to_string(::getpid());
    try {
        std::error_code ec;
        if (fs::exists(into, ec) && !(fs::is_directory(into, ec) && fs::is_empty(into, ec)))
            throw Refusal{out + " exists already: merge into a new folder"};
        std::vector<Slice> slices = read_slices(folders);
        check_same_sweep(slices);
        check_runs(slices, allow_gaps);
        fs::remove_all(partial, ec);
        if (!fs::create_directories(partial, ec) || ec) throw Refusal{"cannot create " + partial.string()};
        write_merged(partial, slices, progress);
        fs::remove(into, ec);
        fs::rename(partial, into, ec);
        if (ec) throw Refusal{"cannot rename " + partial.string() + " to " + out + ": " + ec.message()};
        std::size_t runs = 0;
        for (const Slice& s : slices) runs += s.manifest.runs.size();
        if (progress != nullptr) progress->finished();
        console << " Merged " << runs << " runs from " << folders.size() << " folders into " << out << "\n";
        return 0;
    } catch (const Refusal& refusal) {
        std::error_code ec;
        fs::remove_all(partial, ec);
        if (progress != nullptr) progress->finished();
        messages << " Cannot merge: " << refusal.why << "\n";
        return 1;
    }
}

}  // namespace lorvenna
