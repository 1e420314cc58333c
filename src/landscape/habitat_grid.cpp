#include "landscape/habitat_grid.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "landscape/grid_arrays.hpp"
#include "numerics/constants.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {
namespace {

// Every build starts from an all-zero grid of the model's side.
void clear_grid(SquareArray<float>& habitat, int grid_side) {
    const int side = grid_side > 0 ? grid_side : 0;
    if (habitat.side != side)
        allocate_grid(habitat, side, 0.0f, "habitat grid");
    else
        std::fill(habitat.cells.begin(), habitat.cells.end(), 0.0f);
}

}  // namespace

// Single-precision power with an integer exponent by repeated squaring, the
// way compiled real**integer expressions evaluate it (not through exp/log).
float integer_power(float base, int exponent) {
    unsigned n = exponent < 0 ? 0u - static_cast<unsigned>(exponent) : static_cast<unsigned>(exponent);
    float result = (n % 2u) != 0u ? base : 1.0f;
    while ((n >>= 1u) != 0u) {
        base = base * base;
        if ((n % 2u) != 0u) result = result * base;
    }
    return exponent < 0 ? 1.0f / result : result;
}

void build_habitat_grid(SquareArray<float>& habitat, const ParameterSet& p, const DerivedValues& d,
                        RandomStream& random) {
    if (p.Fractal == FractalKind::rmd)
        build_rmd_grid(habitat, p, d, random);
    else if (p.Fractal == FractalKind::dsq)
        build_dsq_grid(habitat, p, d, random);
    else if (p.Fractal == FractalKind::super)
        build_super_grid(habitat, p, d, random);
}

// Random midpoint displacement: the centre of every square of the current
// step takes the mean of its four corners plus a normal displacement whose
// scale shrinks by sqrt(2^H) from one level to the next.  Edge midpoints are
// not interpolated; they keep what an earlier level left in them.
void build_rmd_grid(SquareArray<float>& g, const ParameterSet& p, const DerivedValues& d, RandomStream& random) {
    clear_grid(g, d.grid_side);
    const int n = g.side;
    const float hurst = d.fractal_coefficient;
    const float scale = p.Scale2;
    const double shrink = static_cast<double>(std::sqrt(std::pow(2.0f, hurst)));

    double sigma = static_cast<double>(scale);
    int step = n;
    while (step > 1) {
        const int span = step - 1;
        // With a side of 2^k + 1 the squares tile the grid exactly; on any
        // other side the squares that would reach past the edge are left out.
        for (int i = 1; i < n && i + span <= n; i += span) {
            for (int j = 1; j < n && j + span <= n; j += span) {
                const double z = random.normal();
                const int mi = i + span / 2;
                const int mj = j + span / 2;
                const float corners = g.at(i + span, j + span) + g.at(i, j) + g.at(i + span, j) + g.at(i, j + span);
                g.at(mi, mj) = static_cast<float>(sigma * z + static_cast<double>(corners / 4.0f));
            }
        }
        sigma = sigma / shrink;
        step = (step + 1) / 2;
    }

    // Shift and scale so that an undisplaced cell holds 3 * Scale2.
    const float factor = 3.0f * scale;
    for (float& cell : g.cells) cell = factor * cell + factor;
}

// Diamond-square midpoint displacement: at every level the centre of each
// square takes the mean of its four corners (the diamond step), then the
// midpoint of each edge the mean of the two to four cells half a step away
// (the square step), each plus a normal displacement whose scale shrinks by
// 2^(H/2) after each step, by 2^H per level, so that the surface's variance
// at lag h grows as h^(2H).  Scale, side and final rescaling as "rmd".
void build_dsq_grid(SquareArray<float>& g, const ParameterSet& p, const DerivedValues& d, RandomStream& random) {
    clear_grid(g, d.grid_side);
    const int n = g.side;
    const float scale = p.Scale2;
    const double shrink = std::sqrt(std::pow(2.0, static_cast<double>(d.fractal_coefficient)));
    double sigma = static_cast<double>(scale);
    for (int step = n - 1; step > 1 && n > 2; step /= 2) {
        const int half = step / 2;
        for (int i = 1; i + step <= n; i += step) {
            for (int j = 1; j + step <= n; j += step) {
                const double z = random.normal();
                const double corners = static_cast<double>(g.at(i, j)) + g.at(i + step, j) + g.at(i, j + step) +
                                       g.at(i + step, j + step);
                g.at(i + half, j + half) = static_cast<float>(sigma * z + corners / 4.0);
            }
        }
        sigma /= shrink;
        for (int i = 1; i <= n; i += half) {
            // Edge midpoints: rows on the squares' corners hold them between
            // corners, rows through the centres at the corners' columns.
            const bool corner_row = ((i - 1) / half) % 2 == 0;
            for (int j = corner_row ? 1 + half : 1; j <= n; j += step) {
                const double z = random.normal();
                double sum = 0.0;
                int count = 0;
                if (i - half >= 1) sum += g.at(i - half, j), ++count;
                if (i + half <= n) sum += g.at(i + half, j), ++count;
                if (j - half >= 1) sum += g.at(i, j - half), ++count;
                if (j + half <= n) sum += g.at(i, j + half), ++count;
                g.at(i, j) = static_cast<float>(sigma * z + sum / count);
            }
        }
        sigma /= shrink;
    }
    // Shift and scale as "rmd": an undisplaced cell holds 3 * Scale2.
    const float factor = 3.0f * scale;
    for (float& cell : g.cells) cell = factor * cell + factor;
}

// Superposition of M periodic terms along the first index; every column has
// its own integer phase.  The result is folded by the heterogeneity factor c:
// cell = c * sum + |sum|.
void build_super_grid(SquareArray<float>& g, const ParameterSet& p, const DerivedValues& d,
                      RandomStream& random) {
    clear_grid(g, d.grid_side);
    const int n = g.side;
    const float a = p.Scale2;
    const float b = d.fractal_coefficient;
    const float amplitude = p.AreaHet;
    const float c = d.heterogeneity;
    const int terms = d.term_count;
    const float pi_approx = pi_single;

    // A column depends on its phase only (0..3), so the first column of each
    // phase is computed and later columns of the same phase copy it.
    std::array<int, 4> first_column_of_phase{0, 0, 0, 0};
    for (int j = 1; j <= n; ++j) {
        const auto phase = trunc_to<int>(random.uniform() * static_cast<double>(pi_approx));
        const int source = first_column_of_phase[static_cast<std::size_t>(phase)];
        if (source != 0) {
            for (int i = 1; i <= n; ++i) g.at(i, j) = g.at(i, source);
            continue;
        }
        first_column_of_phase[static_cast<std::size_t>(phase)] = j;
        for (int i = 1; i <= n; ++i) {
            const float x = static_cast<float>(2 * i) * pi_approx / static_cast<float>(n) - static_cast<float>(phase);
            float sum = 0.0f;
            for (int m = 1; m <= terms; ++m) {
                const float f = integer_power(a, m);
                const float gdiv = integer_power(b, m - 1);
                sum = sum + (std::sin(f * x) + std::cos(f * x)) * amplitude / gdiv;
            }
            g.at(i, j) = c * sum + std::fabs(sum);
        }
    }
}

}  // namespace lorvenna
