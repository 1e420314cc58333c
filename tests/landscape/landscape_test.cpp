// The landscape of a model: its start values, the fractal habitat surfaces
// worked by hand on small grids, and the niches of every cell.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "landscape/habitat_grid.hpp"
#include "landscape/model_start.hpp"
#include "landscape/niches.hpp"

namespace lorvenna {
namespace {

// The stage inputs of a grid of the given side.
struct Landscape {
    ParameterSet p;
    DerivedValues d;
    RandomStream random;
    SquareArray<float> habitat;
    explicit Landscape(int side, std::uint32_t seed = 12345) : random(seed) { p.Areal = d.grid_side = side; }
};

TEST(ModelStart, HurstExponentNicheLevelAndTheirDraws) {
    for (const auto& [fractal, scale1, coefficient] :
         {std::tuple{"rmd", 2.3f, 0.7f}, {"rmd", 2.0f, 1.0f}, {"super", 2.3f, 2.3f}}) {
        ParameterSet p;
        p.Fractal = keyword(fractal);
        p.Scale1 = scale1;
        EXPECT_FLOAT_EQ(fractal_coefficient(p), coefficient) << fractal << " " << scale1;
    }
    // K = nint(NicheNo / 2), halves away from zero.
    for (auto [entered, level] : {std::pair{0.0f, 0.0f}, {1.0f, 1.0f}, {3.0f, 2.0f}, {4.0f, 2.0f}, {5.0f, 3.0f},
                                  {2.4f, 1.0f}}) {
        ParameterSet p;
        p.NicheNo = entered;
        EXPECT_EQ(niche_level(p), level) << "NicheNo " << entered;
    }
    // The phase is drawn before the heterogeneity factor; "rnd" keeps the factor of before.
    Landscape fixed(10, 4242u), per_species(10, 99u);
    RandomStream expected(4242u);
    const float u0 = static_cast<float>(expected.uniform());
    const float c = static_cast<float>(expected.normal());
    start_model(fixed.p, fixed.d, fixed.random);
    EXPECT_EQ(fixed.d.niche_phase, u0);
    EXPECT_EQ(fixed.d.heterogeneity, c);
    EXPECT_EQ(fixed.random.seed(), expected.seed());
    per_species.p.RndHet = keyword("rnd");
    per_species.d.heterogeneity = 0.25f;
    start_model(per_species.p, per_species.d, per_species.random);
    EXPECT_EQ(per_species.d.heterogeneity, 0.25f);
    EXPECT_EQ(per_species.random.uniform_draws(), 1u);
    EXPECT_EQ(per_species.random.normal_draws(), 0u);
}

TEST(ModelStart, TermCountSpansTheGridAndIsCappedAtTwenty) {
    const struct {
        const char* fractal;
        float scale1;
        int side, terms;
    } cases[] = {
        {"super", 2.0f, 100, 7},     // ln 100 / ln 2 = 6.64
        {"super", 10.0f, 1000, 4},   // ln 1000 / ln 10 is exactly 3 in single precision
        {"super", 1.0f, 100, 1},     // no fractality: one term
        {"super", 0.5f, 100, 1},
        {"super", 1.01f, 1000, 20},  // 694 terms asked for, 20 kept
        {"rmd", 2.5f, 129, 1},       // H = 0.5 is not above 1
        {"super", 3.0f, 1, 1},
    };
    for (const auto& k : cases) {
        Landscape l(k.side);
        l.p.Fractal = keyword(k.fractal);
        l.p.Scale1 = k.scale1;
        start_model(l.p, l.d, l.random);
        EXPECT_EQ(l.d.term_count, k.terms) << k.fractal << " " << k.scale1 << " " << k.side;
    }
}

// A 3 x 3 grid by hand: the first level displaces the centre (2, 2) from four
// zero corners; the last level visits (1,1), (1,2), (2,1), (2,2) in this order,
// each from its own old value, the old centre and zeros.
TEST(HabitatGridRmd, ThreeByThreeByHand) {
    for (const auto& [hurst, second_scale] : {std::pair{1.0f, 2.0 / std::sqrt(2.0)}, {0.0f, 2.0}}) {
        Landscape l(3, 777u);
        l.d.fractal_coefficient = hurst;
        l.p.Scale2 = 2.0f;
        RandomStream r(777u);
        double z[5];
        for (double& v : z) v = r.normal();
        build_rmd_grid(l.habitat, l.p, l.d, l.random);
        const double quarter_centre = 2.0 * z[0] / 4.0;
        auto rescaled = [](double v) { return 3.0 * 2.0 * v + 3.0 * 2.0; };
        const int cells[4][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}};
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(l.habitat.at(cells[k][0], cells[k][1]), rescaled(second_scale * z[k + 1] + quarter_centre), 1e-4)
                << "H " << hurst << " cell " << k;
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(l.habitat.at(3, k), 6.0f) << "last row, never displaced";
            EXPECT_EQ(l.habitat.at(k, 3), 6.0f) << "last column, never displaced";
        }
        EXPECT_EQ(l.random.seed(), r.seed()) << "one normal per square centre";
    }
}

TEST(HabitatGridRmd, LargerGridsDrawOneNormalPerCentreAndKeepTheirFarEdges) {
    Landscape l(9, 31u);
    l.d.fractal_coefficient = 0.4f;
    l.p.Scale2 = 1.5f;
    l.habitat.allocate(9, 42.0f);  // a previous build must not leak into this one
    build_rmd_grid(l.habitat, l.p, l.d, l.random);
    EXPECT_EQ(l.random.normal_draws(), 1u + 4u + 16u + 64u);
    int displaced = 0;
    for (int x = 1; x <= 9; ++x)
        for (int y = 1; y <= 9; ++y) {
            if (x == 9 || y == 9)
                EXPECT_EQ(l.habitat.at(x, y), 4.5f) << x << "," << y;
            else if (l.habitat.at(x, y) != 4.5f)
                ++displaced;
        }
    EXPECT_EQ(displaced, 64);

    Landscape odd(10);  // not of the form 2^k + 1: the squares stay inside the grid
    odd.d.fractal_coefficient = 0.5f;
    odd.p.Scale2 = 1.0f;
    build_rmd_grid(odd.habitat, odd.p, odd.d, odd.random);
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(odd.habitat.at(10, k), 3.0f);
}

// Hurst exponent of a surface from its variogram: half the slope of the log
// mean squared increment (along both axes) over the log lag, lags 1 to 64.
double variogram_hurst(const SquareArray<float>& g) {
    std::vector<double> log_lag, log_increment;
    for (int h = 1; h <= 64; h *= 2) {
        double sum = 0.0;
        long long pairs = 0;
        for (int x = 1; x <= g.side; ++x)
            for (int y = 1; y <= g.side; ++y) {
                if (x + h <= g.side) sum += std::pow(g.at(x + h, y) - g.at(x, y), 2), ++pairs;
                if (y + h <= g.side) sum += std::pow(g.at(x, y + h) - g.at(x, y), 2), ++pairs;
            }
        log_lag.push_back(std::log(h));
        log_increment.push_back(std::log(sum / pairs));
    }
    double mx = 0, my = 0, sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < log_lag.size(); ++i) mx += log_lag[i] / log_lag.size(), my += log_increment[i] / log_lag.size();
    for (std::size_t i = 0; i < log_lag.size(); ++i)
        sxy += (log_lag[i] - mx) * (log_increment[i] - my), sxx += (log_lag[i] - mx) * (log_lag[i] - mx);
    return sxy / sxx / 2.0;
}

TEST(HabitatGridDsq, RoughnessFollowsTheFractalDimension) {
    for (const float dimension : {2.1f, 2.5f, 2.9f}) {
        double mean = 0.0;
        for (std::uint32_t seed = 1; seed <= 10; ++seed) {
            ParameterSet p;
            p.Fractal = keyword("dsq");
            p.Scale1 = dimension;
            p.Scale2 = 1.0f;
            DerivedValues d;
            d.grid_side = 513;
            d.fractal_coefficient = fractal_coefficient(p);
            RandomStream random(seed);
            SquareArray<float> grid;
            build_habitat_grid(grid, p, d, random);
            mean += variogram_hurst(grid) / 10.0;
        }
        EXPECT_NEAR(mean, 3.0 - dimension, 0.15) << "D = " << dimension;
    }
}

TEST(HabitatGridSuper, ColumnsFollowTheirPhaseAndFoldWithTheFactor) {
    for (int terms : {1, 2}) {
        Landscape l(6, 2024u);
        l.p.Scale2 = 0.5f;
        l.d.fractal_coefficient = 3.0f;
        l.p.AreaHet = 2.0f;
        l.d.term_count = terms;
        l.d.heterogeneity = 0.7f;
        RandomStream r(2024u);
        build_super_grid(l.habitat, l.p, l.d, l.random);
        for (int j = 1; j <= 6; ++j) {
            const int phi = static_cast<int>(r.uniform() * static_cast<double>(3.14159f));
            for (int i = 1; i <= 6; ++i) {
                const double x = 2.0 * i * 3.14159 / 6 - phi;
                double sum = 0.0;
                for (int m = 1; m <= terms; ++m)
                    sum += (std::sin(std::pow(0.5, m) * x) + std::cos(std::pow(0.5, m) * x)) * 2.0 / std::pow(3.0, m - 1);
                EXPECT_NEAR(l.habitat.at(i, j), 0.7 * sum + std::fabs(sum), 2e-5)
                    << "terms " << terms << " cell " << i << "," << j;
            }
        }
        EXPECT_EQ(l.random.seed(), r.seed()) << "one phase draw per column";
    }
}

TEST(HabitatGridSuper, SinglePrecisionPowersByRepeatedSquaring) {
    EXPECT_EQ(integer_power(3.0f, 5), 243.0f);
    EXPECT_EQ(integer_power(2.0f, 0), 1.0f);
    EXPECT_EQ(integer_power(-2.0f, 3), -8.0f);
    EXPECT_EQ(integer_power(2.0f, -2), 0.25f);
    const float b = 1.1f;
    EXPECT_EQ(integer_power(b, 3), b * (b * b)) << "squared first, as repeated squaring does";
}

TEST(Niches, NumberFollowsThePeriodicPatternAndIsAtLeastOne) {
    for (float level : {1.0f, 2.0f, 7.0f})
        for (int x : {1, 4, 100})
            for (int y : {1, 9, 250}) EXPECT_EQ(niche_number(level, 0.0f, x, y), 2 * static_cast<int>(level));
    EXPECT_EQ(niche_number(1.0f, 0.5f, 1, 2), 3);  // sin 0.5 + cos 1.0 + 0.5 + 1 = 2.52
    EXPECT_EQ(niche_number(2.0f, 1.0f, 1, 1), 7);  // 2 (sin 1 + cos 1) + 2 + 2 = 6.76
    EXPECT_EQ(niche_number(1.0f, 3.14159265f / 10.0f, 15, 10), 1);  // -2 + u0 + 1 < 0, raised to 1
    EXPECT_EQ(niche_number(1.25f, 0.0f, 3, 3), 3);  // 2.5 rounds away from zero
}

TEST(Niches, TableEqualsTheNumberOfEveryCellOrHoldsNothingWithoutALevel) {
    DerivedValues d;
    d.grid_side = 7;
    d.niche_level = 2.0f;
    d.niche_phase = 0.37f;
    NicheTable t;
    fill_niche_table(t, d);
    ASSERT_EQ(t.niches.side, 7);
    for (int x = 1; x <= 7; ++x)
        for (int y = 1; y <= 7; ++y) {
            EXPECT_EQ(t.niches.at(x, y), niche_number(2.0f, 0.37f, x, y));
            EXPECT_EQ(t.species_count.at(x, y), 0);
            EXPECT_EQ(t.counted.at(x, y), 0);
        }
    EXPECT_NE(t.niches.at(1, 1), t.niches.at(5, 1)) << "the pattern varies";
    std::vector<std::int64_t> row(5);
    NicheRows(2.0f, 0.37f, 40, 5).row(33, row.data());
    for (int j = 0; j < 5; ++j) EXPECT_EQ(row[static_cast<std::size_t>(j)], niche_number(2.0f, 0.37f, 33, 40 + j));

    d.niche_level = 0.0f;  // no limit: a table left from an earlier model goes
    fill_niche_table(t, d);
    EXPECT_EQ(t.niches.side, 0);
    EXPECT_TRUE(t.species_count.cells.empty() && t.counted.cells.empty());
}

}  // namespace
}  // namespace lorvenna
