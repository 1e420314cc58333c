#pragma once
// The one work area of a session: the parameter set and its derived values,
// the species table, the habitat grid, the niche and cell-count tables, the
// sample tables, the fit results and the open report files.  Every stage of a
// pass reads and writes it; it is passed by reference, never copied.
#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/io_seam.hpp"
#include "driver/report_file.hpp"
#include "driver/stage_times.hpp"
#include "numerics/random_stream.hpp"

namespace lorvenna {

// A keyword answer or parameter: 7 characters, blank-padded on the right,
// compared in full and case-sensitively ("rmd" is "rmd" and four blanks).
using Keyword = std::string;
inline Keyword keyword(std::string_view text, std::size_t width = 7) {
    Keyword k(text.substr(0, width));
    k.resize(width, ' ');
    return k;
}

inline constexpr int max_weight_classes = 50;
inline constexpr int rank_order_rows = 10000;

// The values a dialogue or a batch row supplies.
struct ParameterSet {
    int Areal = 0;      // side of the whole grid, cells
    int SampA = 0;      // side of the sampled square, cells
    int maxSa = 0;      // largest sample size, sample units
    int minSa = 0;      // smallest sample size, sample units
    int StepSa = 0;     // step between sample sizes
    int Sampfac = 0;    // factor of adding area / unit of sampling, cells
    Keyword Method = keyword("");
    int Species = 0;
    float maxD = 0.0f;  // maximum density per cell (0: minimum adjusted to one individual)
    float minD = 0.0f;  // minimum density per cell
    float Dfluc = 0.0f, Flucmy = 0.0f, Flucvar = 0.0f;
    Keyword DivInd = keyword("sha");  // start value: Shannon (model-only runs never ask it)
    int Permut = 1;
    Keyword Fractal = keyword("rmd");
    Keyword GridHet = keyword("");
    Keyword DWD = keyword(""), SWD = keyword("");
    int Class = 0;
    float SWDmy = 0.0f, SWDvar = 0.0f, DWDmy = 0.0f, DWDvar = 0.0f;
    float Aggr = 0.0f, AreaHet = 0.0f, Scale1 = 0.0f, Scale2 = 0.0f, NicheNo = 0.0f;
    float Range = 0.0f, HabGrad = 0.0f;
    Keyword RndHet = keyword("");
};

// Values derived from the parameter set at the start of a pass.
struct DerivedValues {
    double max_individuals = 0.0;  // individuals the grid may hold: Areal*maxD*Areal, or 1e8
    float max_abundance = 0.0f;    // MaxInd of the community model
    float min_abundance = 0.0f;    // MinInd: minimum individuals on the whole grid
    float smallest_abundance = 0.0f;  // smallest positive abundance (maxD <= 0)
    float niche_level = 0.0f;      // K = nint(NicheNo / 2)
    float niche_phase = 0.0f;      // u0, one uniform draw per model
    float heterogeneity = 0.0f;    // c, a standard normal deviate
    int term_count = 1;            // M, superposition terms
    bool community_built = false;  // false after a weight-class or DWD error
};

// One row of the species table.
struct SpeciesRow {
    float number = 0.0f;       // species number (SpeNo)
    float weight = 0.0f;       // body weight
    float abundance = 0.0f;    // expected individuals, OrigInd
    float fluctuated = 0.0f;   // fluctuated value N (model-only runs)
    float assigned = 0.0f;     // individuals placed, AssInd
    float undisturbed = 0.0f;  // undisturbed abundance x
    float sample_column = 0.0f;  // filled by the sample statistics; not moved by the shuffle
};

// Totals of the whole community (model-only runs accumulate them in the community model).
struct CommunityTotals {
    double individuals = 0.0;
    float biomass = 0.0f;
};

// Statistics of one abundance vector: the community or one sample.
struct CommunityStatistics {
    int species = 0;            // S
    double individuals = 0.0;   // N
    double biomass = 0.0;
    float sd_lb = 0.0f;         // SD of log2 abundances
    float rad_slope = 0.0f, rad_intercept = 0.0f;
    float diversity = 0.0f, evenness = 0.0f, alpha = 0.0f;
};

// A square array indexed 1..side in both directions; the first index is x.
template <typename T>
struct SquareArray {
    int side = 0;
    std::vector<T> cells;

    void allocate(int n, T value = T{}) {
        side = n;
        cells.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), value);
    }
    void release() {
        side = 0;
        std::vector<T>().swap(cells);
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

// The cells the species last placed has reached, one grid index
// ((x-1)*side + y-1) each and none twice: every cell whose count it raised
// and, under a niche limit, every cell where it was counted.  Resets and
// sample tallies then visit these cells instead of the whole grid.  The list
// is kept only up to an eighth of the grid; a species that reaches more cells
// leaves it incomplete, and whole-grid sweeps take over.
struct ReachedCells {
    std::unique_ptr<std::uint32_t[]> cells;  // room for `capacity` indices, the first `count` in use
    std::size_t capacity = 0;
    std::size_t count = 0;
    int species = 0;        // table position of the species the list describes; 0: none
    int side = 0;           // grid side the indices refer to
    bool complete = false;  // every reached cell is in the list
    void clear() {
        count = 0;
        species = 0;
        complete = false;
    }
};

// The sample units of the design and what each species has in them.
struct SampleTables {
    int units = 0;                       // maxSa
    std::vector<std::int64_t> area;      // cells covered by unit i (index 0 is unit 1)
    std::vector<std::int64_t> niches;    // niches of unit i ("dep", "lin": cumulative)
    std::vector<int> x, y;               // first cell of unit i ("dep", "lin"), grid coordinates
    std::vector<std::int32_t> counts;    // individuals of species s in unit i: counts[s*units + i]
    // Tally work space, allocated once per model: summed-area tables of the current
    // species over the sampling window (counts, squared counts), and per species the
    // sum of squared cell counts over the whole sample (Lloyd's index of patchiness).
    std::vector<std::int64_t> summed;
    std::vector<double> summed_squares;
    std::vector<double> squared_counts;
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

// The open report files of the session.
struct ReportFiles {
    ReportFile distribution{"Distribution.txt"};
    ReportFile sample{"Sample.txt"};
    ReportFile analysis{"Analysis.txt"};
    ReportFile cells{"Cells.txt"};
    ReportFile map{"Map.txt"};
    ReportFile grid{"Grid.txt"};

    std::array<ReportFile*, 6> all() { return {&distribution, &sample, &analysis, &cells, &map, &grid}; }
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
    int iteration = 0;     // batch rows consumed so far
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
    ReachedCells reached;                     // cells of cell_counts the current species reached
    std::int64_t offset = 0;                  // sampled square: cells offset+1 .. offset+SampA
    bool offset_drawn = false;                // drawn once per model, at the first species
    float range_x = 0.0f, range_y = 0.0f;     // range centre of the current species

    // Sampling
    SampleTables samples;

    // Time per stage over the session (benchmarks read it)
    StageTimes times;

    // Releases the arrays of a pass, as a batch does before its next row.
    void release_pass_arrays() {
        species.clear();
        species.shrink_to_fit();
        habitat.release();
        niche_table.release();
        cell_counts.release();
        reached = ReachedCells{};
        samples.release();
        offset = 0;
        offset_drawn = false;
    }
};

}  // namespace lorvenna
