#include <gtest/gtest.h>

#include "landscape/landscape_fixture.hpp"
#include "landscape/model_start.hpp"

namespace lorvenna {
namespace {

using testing::Session;

TEST(LandscapeModelStart, RmdTurnsFractalDimensionIntoHurstExponent) {
    Session s;
    s.wa.params.Fractal = keyword("rmd");
    s.wa.params.Scale1 = 2.3f;
    start_model(s.wa);
    EXPECT_FLOAT_EQ(s.wa.params.Scale1, 0.7f);

    Session d2;  // D entered as "no fractality" and raised to 2: H = 1
    d2.wa.params.Fractal = keyword("rmd");
    d2.wa.params.Scale1 = 2.0f;
    start_model(d2.wa);
    EXPECT_EQ(d2.wa.params.Scale1, 1.0f);

    Session sup;  // superposition keeps its coefficient
    sup.wa.params.Fractal = keyword("super");
    sup.wa.params.Scale1 = 2.3f;
    start_model(sup.wa);
    EXPECT_EQ(sup.wa.params.Scale1, 2.3f);
}

TEST(LandscapeModelStart, NicheLevelIsHalfTheNichesRoundedAwayFromZero) {
    const std::pair<float, float> cases[] = {{0.0f, 0.0f}, {1.0f, 1.0f}, {3.0f, 2.0f}, {4.0f, 2.0f},
                                             {5.0f, 3.0f}, {2.4f, 1.0f}};
    for (auto [entered, level] : cases) {
        Session s;
        s.wa.params.NicheNo = entered;
        start_model(s.wa);
        EXPECT_EQ(s.wa.derived.niche_level, level) << "NicheNo " << entered;
        EXPECT_EQ(s.wa.params.NicheNo, level) << "NicheNo is replaced by the level";
    }
}

TEST(LandscapeModelStart, PhaseIsDrawnBeforeTheHeterogeneityFactor) {
    Session s;
    s.wa.random.reseed(4242u);
    RandomStream expected(4242u);
    const float u0 = static_cast<float>(expected.uniform());
    const float c = static_cast<float>(expected.normal());
    start_model(s.wa);
    EXPECT_EQ(s.wa.derived.niche_phase, u0);
    EXPECT_EQ(s.wa.derived.heterogeneity, c);
    EXPECT_EQ(s.wa.random.seed(), expected.seed());
}

TEST(LandscapeModelStart, RandomHeterogeneityKeepsThePreviousFactor) {
    Session s;
    s.wa.params.RndHet = keyword("rnd");
    s.wa.derived.heterogeneity = 0.25f;
    s.wa.random.reseed(99u);
    RandomStream expected(99u);
    expected.uniform();  // the niche phase only
    start_model(s.wa);
    EXPECT_EQ(s.wa.derived.heterogeneity, 0.25f);
    EXPECT_EQ(s.wa.random.seed(), expected.seed());
}

TEST(LandscapeModelStart, TermCountSpansTheGridAndIsCappedAtTwenty) {
    struct Case {
        const char* fractal;
        float scale1;
        int side;
        int terms;
    };
    const Case cases[] = {
        {"super", 2.0f, 100, 7},      // ln 100 / ln 2 = 6.64
        {"super", 10.0f, 1000, 4},    // ln 1000 / ln 10 is exactly 3 in single precision
        {"super", 1.0f, 100, 1},      // no fractality: one term
        {"super", 0.5f, 100, 1},
        {"super", 1.01f, 1000, 20},   // 694 terms asked for, 20 kept
        {"super", 1.0000001f, 50, 20},
        {"rmd", 2.5f, 129, 1},        // H = 0.5 is not above 1
        {"super", 3.0f, 1, 1},
    };
    for (const Case& k : cases) {
        Session s;
        s.wa.params.Fractal = keyword(k.fractal);
        s.wa.params.Scale1 = k.scale1;
        s.wa.params.Areal = k.side;
        start_model(s.wa);
        EXPECT_EQ(s.wa.derived.term_count, k.terms) << k.fractal << " " << k.scale1 << " " << k.side;
    }
}

}  // namespace
}  // namespace lorvenna
