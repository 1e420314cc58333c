#pragma once
// The placing loop of one species: clumps of individuals dropped into drawn
// cells until the species is placed or given up as saturated.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "core/io_seam.hpp"
#include "data/grids.hpp"
#include "data/species.hpp"
#include "numerics/random_stream.hpp"
#include "placement/clump_sizes.hpp"
#include "placement/saturation.hpp"

namespace lorvenna::detail {

inline constexpr std::int64_t most_per_cell = std::numeric_limits<std::int32_t>::max();
// Placed counts are 64-bit; a species never gets more individuals than this,
// so that sums of a count and two clump sizes stay exact and in range.
inline constexpr double most_per_species = 9007199254740992.0;  // 2^53
// Smallest whole number v whose single-precision value reaches `orig`
// ((float)v >= orig), for 0 < orig <= 2^53.  Conversion to float never
// decreases with v, so comparing counts against it gives exactly the
// single-precision comparison of the model.
std::int64_t float_threshold(float orig);

// The species number as the messages show it.
std::string species_label(const SpeciesRow& row);

// Everything the placing loop of one species reads and changes.
struct PlacingRun {
    const Io& io;          // for interruptions and the session's limits
    RandomStream& stream;  // the session's stream; the loop draws from a copy
    const SpeciesRow& row;
    const NicheTable& niches;
    Span xs, ys;           // cells the position draws can reach
    const float* habitat = nullptr;
    std::int32_t* count = nullptr;
    std::uint8_t* counted = nullptr;  // niche table, under a niche limit only
    std::int32_t* species_count = nullptr;
    const std::int32_t* niche = nullptr;
    int side = 0;
    double range = 0.0;     // Range
    float cx = 0.0f, cy = 0.0f;  // range centre
    float c = 0.0f;         // heterogeneity factor
    float orig = 0.0f;      // OrigInd
    std::int64_t k1 = 1;    // the aggregation part of every clump
    HabitatTerms terms{0, largest_clump};  // the habitat parts the clumps can have (without ranges and niche limits)
    std::int64_t threshold = 0;  // placed counts v with (float)v >= orig are those >= threshold
    std::uint32_t* list = nullptr;  // reached cells
    std::size_t list_capacity = 0;
    std::uint32_t check_interval = 65536;  // cell choices between looks at the session's limits
    // Results
    std::size_t listed = 0;
    bool list_complete = false;
    std::int64_t placed = 0;
    bool gave_up = false;
    bool rarely_reached = false;  // the draws almost never land on the grid within the range's reach
    bool done = false;
};

// Runs the placing loop of one species on `r`, its position draws normal
// around the range centre when `ranged`, its cells held to their niches when
// `limited`.  The loop leaves its results in `r`.
void run_placing_loop(PlacingRun& r, bool ranged, bool limited);

}  // namespace lorvenna::detail
