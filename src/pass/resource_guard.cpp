#include "pass/resource_guard.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/program_end.hpp"
#include "numerics/constants.hpp"
#include "numerics/saturating.hpp"

namespace lorvenna {
namespace {

std::uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return 1ULL << 34;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

std::string mebibytes(std::uint64_t bytes) {
    return (bytes == saturated ? "more than " : "") + std::to_string(bytes >> 20) + " MiB";
}

}  // namespace

std::uint64_t pass_memory_bytes(const ParameterSet& p, const DerivedValues& d, bool sampling) {
    const auto count = [](int n) { return static_cast<std::uint64_t>(n > 0 ? n : 0); };
    const std::uint64_t species = count(d.species);
    std::uint64_t bytes = saturating_mul(species, sizeof(SpeciesRow));
    if (!sampling) return bytes;
    const std::uint64_t side = count(d.grid_side);
    const std::uint64_t square = count(p.SampA) + 1;
    const std::uint64_t units = count(d.max_sample);
    // habitat (float), niches and species counts (int32), the counted flag (byte), cell counts (int32)
    const std::uint64_t per_cell = sizeof(float) + 2 * sizeof(std::int32_t) + 1 + sizeof(std::int32_t);
    bytes = saturating_add(bytes, saturating_mul(saturating_mul(side, side), per_cell));
    // summed-area table of the sampled square and the sample table of every species and unit
    bytes = saturating_add(bytes, saturating_mul(saturating_mul(square, square), sizeof(std::int64_t)));
    bytes = saturating_add(bytes, saturating_mul(saturating_mul(species, units), sizeof(std::int32_t)));
    bytes = saturating_add(bytes, saturating_mul(units, 4 * sizeof(std::int64_t)));
    return bytes;
}

void check_pass_resources(const Io& io, const ParameterSet& p, const DerivedValues& d, bool sampling) {
    const std::uint64_t need = pass_memory_bytes(p, d, sampling);
    const std::uint64_t have = io.max_pass_bytes > 0 ? io.max_pass_bytes : physical_memory_bytes() / 10 * 8;
    if (need <= have) return;
    end_program(exit_error, " Not enough memory: a grid of " + std::to_string(d.grid_side) + " x " +
                                std::to_string(d.grid_side) + " cells with " + std::to_string(d.species) +
                                " species and " + std::to_string(d.max_sample) + " sample units needs " +
                                mebibytes(need) + ", this machine has " + mebibytes(physical_memory_bytes()));
}

double individuals_to_place(const std::vector<SpeciesRow>& species, bool relative, double smallest, double* largest) {
    double total = 0.0;
    double most = 0.0;
    for (const SpeciesRow& row : species) {
        double n = row.abundance;
        if (relative) n = smallest > 0.0 ? std::trunc(n / smallest) : 0.0;
        if (!(n > 0.0)) continue;
        total += n;
        most = std::max(most, n);
    }
    if (largest != nullptr) *largest = most;
    return total;
}

void check_individuals_to_place(const Io& io, const ParameterSet& p, const DerivedValues& d,
                                const std::vector<SpeciesRow>& species) {
    double largest = 0.0;
    const double total = individuals_to_place(species, p.maxD <= 0.0f, d.smallest_abundance, &largest);
    // The cells count individuals in 32 bits: no species may bring more than that.
    if (largest > static_cast<double>(count_limit))
        end_program(exit_error, " Too many individuals to place: a species has " + std::to_string(largest) +
                                    " individuals, more than " + std::to_string(count_limit) + " can be counted");
    if (io.max_individuals > 0.0 && total > io.max_individuals)
        end_program(exit_error, " Refused: " + std::to_string(total) + " individuals to place, more than the cap of " +
                                    std::to_string(io.max_individuals));
}

}  // namespace lorvenna
