#include <gtest/gtest.h>

#include <cmath>

#include "landscape/landscape_fixture.hpp"
#include "landscape/niches.hpp"

namespace lorvenna {
namespace {

using testing::Session;

TEST(NicheNumber, ZeroPhaseGivesTwiceTheLevelEverywhere) {
    for (float level : {1.0f, 2.0f, 3.0f, 7.0f})
        for (int x : {1, 4, 100})
            for (int y : {1, 9, 250}) EXPECT_EQ(niche_number(level, 0.0f, x, y), 2 * static_cast<int>(level));
}

TEST(NicheNumber, FollowsThePeriodicPatternAndIsAtLeastOne) {
    // sin 0.5 + cos 1.0 = 1.0197; plus 0.5 + 1: 2.52 rounds to 3.
    EXPECT_EQ(niche_number(1.0f, 0.5f, 1, 2), 3);
    // K = 2: 2 (sin 1 + cos 1) + 2 + 2 = 6.76 -> 7.
    EXPECT_EQ(niche_number(2.0f, 1.0f, 1, 1), 7);
    // x u0 = 3 pi / 2 and y u0 = pi: -2 + u0 + 1 is below zero, raised to 1.
    const float u0 = 3.14159265f / 10.0f;
    EXPECT_EQ(niche_number(1.0f, u0, 15, 10), 1);
    // A half rounds away from zero: K = 1.25 at u0 = 0 gives 2.5 -> 3.
    EXPECT_EQ(niche_number(1.25f, 0.0f, 3, 3), 3);
}

TEST(NicheTable, FilledFromLevelAndPhaseWithoutDraws) {
    Session s;
    s.wa.params.Areal = 7;
    s.wa.derived.niche_level = 2.0f;
    s.wa.derived.niche_phase = 0.37f;
    s.wa.random.reseed(11u);
    fill_niche_table(s.wa);
    EXPECT_EQ(s.wa.random.seed(), 11u);
    const NicheTable& t = s.wa.niche_table;
    ASSERT_EQ(t.niches.side, 7);
    for (int x = 1; x <= 7; ++x)
        for (int y = 1; y <= 7; ++y) {
            EXPECT_EQ(t.niches.at(x, y), niche_number(2.0f, 0.37f, x, y));
            EXPECT_GE(t.niches.at(x, y), 1);
            EXPECT_EQ(t.species_count.at(x, y), 0);
            EXPECT_EQ(t.counted.at(x, y), 0);
        }
    // The pattern varies: x = 1 and x = 5 differ by sin 0.37 vs sin 1.85.
    EXPECT_NE(t.niches.at(1, 1), t.niches.at(5, 1));
}

TEST(NicheTable, NoLevelMeansNoLimitAndNoTable) {
    Session s;
    s.wa.params.Areal = 4;
    s.wa.niche_table.species_count.allocate(4, 9);  // left over from a model before
    s.wa.niche_table.counted.allocate(4, 1);
    s.wa.derived.niche_level = 0.0f;
    s.wa.derived.niche_phase = 0.5f;
    fill_niche_table(s.wa);
    // Nothing is ever refused, so the model keeps no grid-sized niche arrays.
    EXPECT_EQ(s.wa.niche_table.niches.side, 0);
    EXPECT_TRUE(s.wa.niche_table.species_count.cells.empty());
    EXPECT_TRUE(s.wa.niche_table.counted.cells.empty());
}

TEST(NicheTable, LimitWithoutLevelRefusesEveryCell) {
    Session s;
    s.wa.params.Areal = 3;
    s.wa.params.NicheNo = 1.0f;  // a limit whose level rounds to nothing
    s.wa.niche_table.species_count.allocate(3, 9);
    s.wa.derived.niche_level = 0.0f;
    fill_niche_table(s.wa);
    ASSERT_EQ(s.wa.niche_table.niches.side, 3);
    for (int v : s.wa.niche_table.niches.cells) EXPECT_EQ(v, 0);
    for (int v : s.wa.niche_table.species_count.cells) EXPECT_EQ(v, 0);
}

}  // namespace
}  // namespace lorvenna
