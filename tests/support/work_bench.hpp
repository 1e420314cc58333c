#pragma once
// A session and its pass on a console and report files in memory with a
// seeded stream: the bench of every test that drives a stage, a reader or a
// writer without a whole session.
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/program_end.hpp"
#include "support/memory_files.hpp"
#include "data/session.hpp"
#include "placement/placement.hpp"
#include "sampling/sampling_designs.hpp"

namespace lorvenna::testing {

// The lines of a text, without their ends.
std::vector<std::string> lines(std::string_view text);

// The orderly end that `f` runs into, if any.
template <typename F>
std::optional<ProgramEnd> ends(F&& f) {
    try {
        f();
    } catch (const ProgramEnd& end) {
        return end;
    }
    return std::nullopt;
}

struct WorkBench {
    MemoryFiles files;
    std::istringstream in;
    std::ostringstream out;
    Io io{in, out, ".", files};
    Session session{io};
    Pass& pass = session.pass;

    explicit WorkBench(const std::string& answers = "", std::uint32_t seed = 12345) : in(answers) {
        io.elapsed = [] { return 0LL; };
        pass.random.reseed(seed);
    }
    WorkBench(const WorkBench&) = delete;
    WorkBench& operator=(const WorkBench&) = delete;

    std::vector<std::string> console() const { return lines(out.str()); }
    std::vector<std::string> report(ReportFile& file) {
        file.flush();
        return lines(files.text(file.name()));
    }
    // A square grid of the given side for the landscape, placement and sampling stages.
    void grid(int side) {
        pass.params.Areal = side;
        pass.derived.grid_side = side;
    }
    // The placement of the species at table position sp, as the pass places it.
    PlacementOutcome place(int sp, ReachedCells& reached) {
        PlacementState state{io, pass.params, pass.derived, pass.given_heterogeneity, pass.random, pass.grids, pass.centre};
        return place_species(state, pass.community.species, sp, reached);
    }
    // What the sampling reads of the pass as it stands.
    SamplingFrame frame() const { return sampling_frame(pass.params, pass.derived, pass.grids); }
    // Species numbered 1.. with weight 1 and the given abundances (OrigInd).
    void set_species(const std::vector<float>& abundances);
};

// A valid batch row of a small model, columns named as in the parameter set.
std::string batch_row(const std::vector<std::pair<std::string, std::string>>& replaced = {});
extern const std::string batch_header;

}  // namespace lorvenna::testing
