#pragma once
// The one work area of a session: the parameter set and its derived values,
// the species table, the habitat grid, the niche and cell-count tables, the
// sample tables and the open report files.  Data only: the stages that fill it
// and the reports that read it live in their own folders.  It is passed by
// reference, never copied.
#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/grid_memory.hpp"
#include "core/io_seam.hpp"
#include "core/keyword.hpp"
#include "core/report_file.hpp"
#include "core/stage_times.hpp"
#include "data/parameters.hpp"
#include "numerics/constants.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// One row of the species table.
struct SpeciesRow {
    float number = 0.0f;       // species number (SpeNo)
    float weight = 0.0f;       // body weight
    float abundance = 0.0f;    // expected individuals, OrigInd
    float fluctuated = 0.0f;   // fluctuated value N (model-only runs)
    float assigned = 0.0f;     // individuals placed, AssInd
    float undisturbed = 0.0f;  // undisturbed abundance x
    float centre_x = 0.0f, centre_y = 0.0f;  // range centre drawn by the placement
    float sample_column = 0.0f;  // filled by the sample statistics; not moved by the shuffle
};

// Totals of the whole community (model-only runs accumulate them in the community model).
struct CommunityTotals {
    double individuals = 0.0;
    float biomass = 0.0f;
};

// A square array indexed 1..side in both directions; the first index is x.
template <typename T>
struct SquareArray {
    int side = 0;
    std::vector<T, GridAllocator<T>> cells;

    void allocate(int n, T value = T{}) {
        side = n;
        cells.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), value);
    }
    void release() {
        side = 0;
        std::vector<T, GridAllocator<T>>().swap(cells);
    }
    T& at(int x, int y) {
        return cells[static_cast<std::size_t>(x - 1) * static_cast<std::size_t>(side) +
                     static_cast<std::size_t>(y - 1)];
    }
    const T& at(int x, int y) const {
        return cells[static_cast<std::size_t>(x - 1) * static_cast<std::size_t>(side) +
                     static_cast<std::size_t>(y - 1)];
    }
};

// Niches of every cell and the species bookkeeping of the placement.
struct NicheTable {
    SquareArray<std::int32_t> niches;          // number of species the cell can hold
    SquareArray<std::uint8_t> counted;         // the current species is counted in the cell
    SquareArray<std::int32_t> species_count;   // species counted in the cell so far
    void release() {
        niches.release();
        counted.release();
        species_count.release();
    }
};

// The sample units of the design and what each species has in them.
struct SampleTables {
    int units = 0;                       // maxSa
    std::vector<std::int64_t> area;      // cells covered by unit i (index 0 is unit 1)
    std::vector<std::int64_t> niches;    // niches of unit i ("dep", "lin": cumulative)
    std::vector<int> x, y;               // first cell of unit i ("dep", "lin"), grid coordinates
    std::vector<std::int32_t> counts;    // individuals of species s in unit i: counts[s*units + i]
    // Per species the sum of squared cell counts over the whole sample (Lloyd's index of patchiness).
    std::vector<double> squared_counts;
    // Per species the individuals in the sampled square: the truth the sample estimates.
    std::vector<std::int64_t> in_square;
    // Per species the upper density boundary of the whole sample (Sample.txt).
    std::vector<double> density_boundary;
    std::int32_t& count(int species_index, int unit_index) {
        return counts[static_cast<std::size_t>(species_index) * static_cast<std::size_t>(units) +
                      static_cast<std::size_t>(unit_index)];
    }
    void release() { *this = SampleTables{}; }
};

// A rank-order distribution file and the block last read from it.
struct RankOrderInput {
    std::string file_name;
    std::unique_ptr<std::istream> file;
    bool assemblage = false;                 // name begins with "Ass" or "ass"
    Keyword body_weights = keyword("no");    // "yes": abundance and weight per record
    std::vector<float> abundance;            // the rows of the last block read, at most rank_order_rows
    std::vector<float> weight;
    int rows = 0;                            // rows of the last block read
    std::string model_type = std::string(9, ' ');  // head values of an assemblage file
    float z = 0.0f, X = 0.0f, truncation = 0.0f;
    int head_species = 0;
    // Reading position: the record read last (a batch pass steps back over it),
    // a record stepped back over (the next read returns it), the number of the
    // line read last, and the blocks read so far.
    std::optional<std::string> last_record;
    std::optional<std::string> pending_record;
    long long line_number = 0;
    int blocks_read = 0;
};

// The open report files of the session, and the tidy tables when asked for.
struct ReportFiles {
    ReportFile distribution{"Distribution.txt"};
    ReportFile sample{"Sample.txt"};
    ReportFile analysis{"Analysis.txt"};
    ReportFile cells{"Cells.txt"};
    ReportFile map{"Map.txt"};
    ReportFile grid{"Grid.txt"};
    ReportFile runs{"runs.csv"};
    ReportFile species{"species.csv"};
    ReportFile samples{"samples.csv"};
    ReportFile curve{"curve.csv"};
    ReportFile units{"units.csv"};
    ReportFile timings{"timings.csv"};
    bool habitat_grids = false;  // habitat-<run>.asc and map-<run>.asc beside the tables

    bool tidy() const { return runs.is_open(); }
    std::array<ReportFile*, 12> all() {
        return {&distribution, &sample, &analysis, &cells, &map, &grid,
                &runs,         &species, &samples, &curve, &units, &timings};
    }
};

// What the tidy tables tell of a pass beyond its parameters and derived values.
struct PassRecord {
    int run = 0;                   // pass number of the session
    long long row = 0;             // line of the batch file; 0: the dialogue's pass
    int replicate = 1;
    std::uint32_t seed = 0;        // seed word at the start of the pass
    std::string status = "ok";     // or why the pass produced no community
    bool sampled = false;          // the individuals were placed and sampled
    int square_side = 0;           // side of the sampled square, cut at the edge of the grid
    int species_given_up = 0;
    // Scaling of the habitat along the grid diagonals
    int scaling_classes = 0, scaling_points = 0;
    bool variance_fit = false, length_fit = false;
    double variance_intercept = 0.0, variance_slope = 0.0, variance_dimension = 0.0;
    double length_intercept = 0.0, length_slope = 0.0, length_dimension = 0.0;
    StageTimes times;              // of this pass alone
};

// Answers of the start-up questions that shape the session.
struct SessionAnswers {
    Keyword mode = keyword("");            // "m", "s" or "b"
    Keyword batch = keyword("no");         // "yes": parameter sets from a batch file
    Keyword source = keyword("g");         // "g" generated, "m"/"o" rank-order file
    Keyword grid_printing = keyword("no", 4);
    float map_species = 0.0f;              // species whose map is written; 0: none
    Keyword cells = keyword("no");         // "yes": Cells.txt
    bool sampling() const { return mode == keyword("s"); }
    bool batch_run() const { return batch == keyword("yes"); }
    bool from_file() const { return source == keyword("m") || source == keyword("o"); }
};

struct WorkArea {
    explicit WorkArea(Io& session_io) : io(session_io) {}

    Io& io;
    RandomStream random;
    SessionAnswers answers;
    ReportFiles reports;

    // Batch run
    std::unique_ptr<std::istream> batch_file;
    std::string batch_file_name;
    int iteration = 0;     // passes of the session so far (the "Iteration No." of a batch)
    int rows_read = 0;     // data rows of the batch file read so far
    int replicate = 1;     // replicate of the row the pass runs
    int exit_status = 0;   // raised by a pass that failed but let the batch go on

    ParameterSet params;
    DerivedValues derived;
    RankOrderInput rank_order;

    // Community model
    std::array<float, max_weight_classes + 1> class_freq{};  // 1-based expected species per class
    std::vector<SpeciesRow> species;   // the species table, one row per species
    CommunityTotals totals;

    // Landscape and placement
    SquareArray<float> habitat;               // habitat value of every cell
    NicheTable niche_table;
    SquareArray<std::int32_t> cell_counts;    // individuals of the current species per cell
    std::int64_t offset = 0;                  // sampled square: cells offset+1 .. offset+SampA
    bool offset_drawn = false;                // drawn once per model, at the first species
    float range_x = 0.0f, range_y = 0.0f;     // range centre drawn last (the map shows it)
    // The habitat heterogeneity deviate c to use in place of every one drawn
    // (the draws are still taken, so every later draw stays where it was).
    std::optional<float> heterogeneity_given;

    // Sampling
    SampleTables samples;

    // Time per stage over the session (benchmarks read it)
    StageTimes times;

    // The pass under way, for the tidy tables
    PassRecord pass;

    // Releases the arrays of a pass, as a batch does before its next row.
    void release_pass_arrays() {
        species.clear();
        species.shrink_to_fit();
        habitat.release();
        niche_table.release();
        cell_counts.release();
        samples.release();
        offset = 0;
        offset_drawn = false;
    }
};

}  // namespace lorvenna
