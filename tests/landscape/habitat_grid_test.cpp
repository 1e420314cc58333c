#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "landscape/habitat_grid.hpp"
#include "landscape/landscape_fixture.hpp"

namespace lorvenna {
namespace {

using testing::Session;

void near(double actual, double expected, const char* what) {
    EXPECT_NEAR(actual, expected, 1e-5 * std::max(1.0, std::fabs(expected))) << what;
}

// A 3 x 3 grid worked by hand: the first level displaces the centre (2, 2)
// from four zero corners; the last level visits (1,1), (1,2), (2,1), (2,2) in
// this order, each from its own old value, the old centre and zeros.
void check_three_by_three(float hurst, double second_scale) {
    Session s;
    s.wa.params.Areal = 3;
    s.wa.params.Scale1 = hurst;
    s.wa.params.Scale2 = 2.0f;
    s.wa.random.reseed(777u);
    RandomStream r(777u);
    const double z1 = r.normal(), z2 = r.normal(), z3 = r.normal(), z4 = r.normal(), z5 = r.normal();

    build_rmd_grid(s.wa);

    const double centre = 2.0 * z1;
    const double s2 = second_scale;
    auto rescaled = [](double v) { return 3.0 * 2.0 * v + 3.0 * 2.0; };
    const SquareArray<float>& g = s.wa.habitat;
    near(g.at(1, 1), rescaled(s2 * z2 + centre / 4.0), "cell (1,1) is displaced at the last level");
    near(g.at(1, 2), rescaled(s2 * z3 + centre / 4.0), "cell (1,2)");
    near(g.at(2, 1), rescaled(s2 * z4 + centre / 4.0), "cell (2,1)");
    near(g.at(2, 2), rescaled(s2 * z5 + centre / 4.0), "cell (2,2)");
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(g.at(3, k), 6.0f) << "last row, never displaced";
        EXPECT_EQ(g.at(k, 3), 6.0f) << "last column, never displaced";
    }
    EXPECT_EQ(s.wa.random.seed(), r.seed()) << "one normal per square centre";
}

TEST(HabitatGridRmd, HurstOneHalvesTheVarianceFromLevelToLevel) { check_three_by_three(1.0f, 2.0 / std::sqrt(2.0)); }

TEST(HabitatGridRmd, HurstZeroKeepsTheDisplacementScale) { check_three_by_three(0.0f, 2.0); }

TEST(HabitatGridRmd, LargerGridDrawsOneNormalPerCentreAndKeepsItsFarEdges) {
    Session s;
    s.wa.params.Areal = 9;
    s.wa.params.Scale1 = 0.4f;
    s.wa.params.Scale2 = 1.5f;
    s.wa.random.reseed(31u);
    s.wa.habitat.allocate(9, 42.0f);  // a previous build must not leak into this one
    const auto before = s.wa.random.normal_draws();
    build_rmd_grid(s.wa);
    // Levels of 1, 4, 16 and 64 squares.
    EXPECT_EQ(s.wa.random.normal_draws() - before, 85u);
    int displaced = 0;
    for (int x = 1; x <= 9; ++x)
        for (int y = 1; y <= 9; ++y) {
            if (x == 9 || y == 9)
                EXPECT_EQ(s.wa.habitat.at(x, y), 4.5f) << x << "," << y;
            else if (s.wa.habitat.at(x, y) != 4.5f)
                ++displaced;
        }
    EXPECT_EQ(displaced, 64);
}

TEST(HabitatGridRmd, SideNotOfTheFormPowerPlusOneStaysInsideTheGrid) {
    Session s;
    s.wa.params.Areal = 10;
    s.wa.params.Scale1 = 0.5f;
    build_rmd_grid(s.wa);
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(s.wa.habitat.at(10, k), 3.0f);
}

// The one-dimensional sum of M terms at position i of a column with phase phi.
double super_sum(int i, int side, int phi, int terms, double a, double b, double amplitude) {
    const double x = 2.0 * i * 3.14159 / side - phi;
    double sum = 0.0;
    for (int m = 1; m <= terms; ++m) {
        const double f = std::pow(a, m);
        sum += (std::sin(f * x) + std::cos(f * x)) * amplitude / std::pow(b, m - 1);
    }
    return sum;
}

TEST(HabitatGridSuper, ColumnsFollowTheirPhaseAndFoldWithTheFactor) {
    for (int terms : {1, 2}) {
        Session s;
        s.wa.params.Areal = 6;
        s.wa.params.Scale2 = 0.5f;
        s.wa.params.Scale1 = 3.0f;
        s.wa.params.AreaHet = 2.0f;
        s.wa.derived.term_count = terms;
        s.wa.derived.heterogeneity = 0.7f;
        s.wa.random.reseed(2024u);
        RandomStream r(2024u);
        build_super_grid(s.wa);
        for (int j = 1; j <= 6; ++j) {
            const int phi = static_cast<int>(r.uniform() * static_cast<double>(3.14159f));
            for (int i = 1; i <= 6; ++i) {
                const double sum = super_sum(i, 6, phi, terms, 0.5, 3.0, 2.0);
                EXPECT_NEAR(s.wa.habitat.at(i, j), 0.7 * sum + std::fabs(sum), 2e-5)
                    << "terms " << terms << " cell " << i << "," << j;
            }
        }
        EXPECT_EQ(s.wa.random.seed(), r.seed()) << "one phase draw per column";
    }
}

TEST(HabitatGridSuper, FactorZeroGivesMagnitudeAndMinusOneKeepsOnlyNegativeSums) {
    auto build = [](float c) {
        Session s;
        s.wa.params.Areal = 12;
        s.wa.params.Scale2 = 1.7f;
        s.wa.params.Scale1 = 1.3f;
        s.wa.params.AreaHet = 1.0f;
        s.wa.derived.term_count = 4;
        s.wa.derived.heterogeneity = c;
        s.wa.random.reseed(5u);
        build_super_grid(s.wa);
        return s.wa.habitat.cells;
    };
    const std::vector<float> zero = build(0.0f), plus = build(1.0f), minus = build(-1.0f);
    int cleared = 0, doubled = 0;
    for (std::size_t k = 0; k < zero.size(); ++k) {
        const double sum = static_cast<double>(plus[k]) - zero[k];  // (sum + |sum|) - |sum|
        EXPECT_GE(zero[k], 0.0f);
        EXPECT_NEAR(minus[k], -sum + std::fabs(sum), 1e-5);
        if (zero[k] > 0.0f && minus[k] == 0.0f) ++cleared;
        if (sum < 0.0 && std::fabs(minus[k] - 2.0 * zero[k]) < 1e-5) ++doubled;
    }
    EXPECT_GT(cleared, 0) << "positive sums vanish with c = -1";
    EXPECT_GT(doubled, 0) << "negative sums double their magnitude with c = -1";
}

TEST(HabitatGridSuper, SinglePrecisionPowersByRepeatedSquaring) {
    EXPECT_EQ(integer_power(3.0f, 5), 243.0f);
    EXPECT_EQ(integer_power(2.0f, 0), 1.0f);
    EXPECT_EQ(integer_power(1.5f, 3), 3.375f);
    EXPECT_EQ(integer_power(-2.0f, 3), -8.0f);
    EXPECT_EQ(integer_power(2.0f, -2), 0.25f);
    // 1.1^3 squares first: (1.1 * 1.1) * 1.1 in single precision.
    const float b = 1.1f;
    EXPECT_EQ(integer_power(b, 3), b * (b * b));
}

TEST(HabitatGridKind, OtherKindsBuildNothingAndDrawNothing) {
    Session s;
    s.wa.params.Fractal = keyword("flat");
    s.wa.habitat.allocate(5, 0.0f);
    s.wa.random.reseed(8u);
    build_habitat_grid(s.wa);
    EXPECT_EQ(s.wa.random.seed(), 8u);
    for (float v : s.wa.habitat.cells) EXPECT_EQ(v, 0.0f);

    s.wa.params.Fractal = keyword("super");
    s.wa.derived.heterogeneity = 1.0f;
    s.wa.params.AreaHet = 1.0f;
    build_habitat_grid(s.wa);
    EXPECT_EQ(s.wa.random.uniform_draws(), 5u) << "super: one draw per column";

    s.wa.params.Fractal = keyword("rmd");
    s.wa.params.Areal = 3;
    build_habitat_grid(s.wa);
    EXPECT_EQ(s.wa.random.normal_draws(), 5u) << "rmd on 3 x 3: five square centres";
}

}  // namespace
}  // namespace lorvenna
