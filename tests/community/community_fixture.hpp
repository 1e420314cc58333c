#pragma once
// A work area whose console and Distribution.txt are kept in memory, for
// driving the community model and its statistics without a session.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/io_seam.hpp"
#include "work_area.hpp"

namespace lorvenna::testing {

class MemoryFiles : public FileSystem {
public:
    std::unique_ptr<std::ostream> create(const std::filesystem::path&) override {
        return std::make_unique<std::ostream>(&buffer);
    }
    std::stringbuf buffer;
};

struct CommunityBench {
    std::istringstream in;
    std::ostringstream out;
    MemoryFiles files;
    Io io{in, out, std::filesystem::path("."), files};
    WorkArea wa{io};

    // A model-only run of `species` species on a 20 x 20 grid, random DWD,
    // no fluctuation, five normal weight classes around class 3.
    explicit CommunityBench(int species = 30, char mode = 'm') {
        wa.answers.mode = keyword(std::string(1, mode));
        wa.reports.distribution.open(io);
        auto& p = wa.params;
        p.Areal = 20;
        p.Species = species;
        p.maxD = 2.0f;
        p.minD = 0.0f;
        p.DWD = keyword("rnd");
        p.Dfluc = -1.0f;
        p.Flucmy = 0.5f;
        p.Flucvar = 0.1f;
        p.SWD = keyword("normal");
        p.Class = 5;
        p.SWDmy = 3.0f;
        p.SWDvar = 1.0f;
        wa.derived.min_abundance = 1.0f;
        wa.random.reseed(12345u);
    }

    std::vector<std::string> report_lines() const {
        std::vector<std::string> lines;
        std::istringstream text(files.buffer.str());
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
};

}  // namespace lorvenna::testing
