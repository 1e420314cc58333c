#pragma once
// An in-process session for the landscape and placement tests: console
// streams of its own, a scratch output directory, and a small parameter set.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/io_seam.hpp"
#include "work_area.hpp"

namespace lorvenna::testing {

// The console seam gains optional members over time; the tests leave them at
// their defaults, so the members not named below are not warned about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

class Session {
public:
    Session()
        : dir_(std::filesystem::temp_directory_path() /
               ("lorvenna-landscape-" + std::to_string(::getpid()) + "-" +
                std::to_string(reinterpret_cast<std::uintptr_t>(this)))),
          io_{in_, out_, dir_, real_file_system()},
          wa(io_) {
        std::filesystem::create_directories(dir_);
        wa.answers.mode = keyword("s");
        ParameterSet& p = wa.params;
        p.Areal = 5;
        p.SampA = 3;
        p.Species = 1;
        p.maxD = 1.0f;
        p.Fractal = keyword("none");
        p.GridHet = keyword("fix");
        p.RndHet = keyword("fix");
        p.Scale1 = 2.0f;
        p.Scale2 = 1.0f;
    }
    ~Session() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Species rows numbered 1..abundances.size() with the given OrigInd.
    void set_species(const std::vector<float>& abundances) {
        wa.species.clear();
        for (std::size_t i = 0; i < abundances.size(); ++i) {
            SpeciesRow row;
            row.number = static_cast<float>(i + 1);
            row.weight = 1.0f;
            row.abundance = abundances[i];
            wa.species.push_back(row);
        }
        wa.params.Species = static_cast<int>(abundances.size());
    }

    std::string console() const { return out_.str(); }
    std::vector<std::string> console_lines() const { return split(out_.str()); }
    std::vector<std::string> file_lines(const std::string& name) const {
        std::ifstream f(dir_ / name);
        std::stringstream s;
        s << f.rdbuf();
        return split(s.str());
    }

private:
    static std::vector<std::string> split(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream s(text);
        for (std::string line; std::getline(s, line);) lines.push_back(line);
        return lines;
    }

    std::istringstream in_;
    std::ostringstream out_;
    std::filesystem::path dir_;
    Io io_;

public:
    WorkArea wa;
};

#pragma GCC diagnostic pop

}  // namespace lorvenna::testing
