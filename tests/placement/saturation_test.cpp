// The cells a species' position draws can reach, used to decide whether a
// species can still find room.
#include "placement/saturation.hpp"

#include <gtest/gtest.h>

using namespace lorvenna::detail;

TEST(PlacementReach, SpanAroundTheCentreIsHeldToTheGrid) {
    const Span near = reach(10.0f, 1.0f, 20);
    EXPECT_EQ(near.lo, 4);  // nint(10 - 6.44)
    EXPECT_EQ(near.hi, 16);
    const Span wide = reach(10.0f, 100.0f, 20);
    EXPECT_EQ(wide.lo, 1);
    EXPECT_EQ(wide.hi, 20);
}

TEST(PlacementReach, CentresFarOffTheGridReachNothing) {
    // Far beyond either edge, also when the centre is too far for 32-bit cell numbers.
    for (const auto& [centre, range] : std::initializer_list<std::pair<float, float>>{
             {-1.538e10f, 33033.0f}, {-2.75e9f, 33033.0f}, {1.0e10f, 5.0f}, {-50.0f, 1.0f}, {80.0f, 1.0f}}) {
        const Span s = reach(centre, range, 20);
        EXPECT_TRUE(s.empty()) << centre << " " << range << ": " << s.lo << ".." << s.hi;
    }
}
