// The random stream, the fixed fields of every report and the conversions of
// reals to integers: the three things every result of a run passes through.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numerics/fixed_field.hpp"
#include "numerics/random_stream.hpp"
#include "numerics/rounding.hpp"

namespace lorvenna {
namespace {

TEST(RandomStream, ExactStepsFromKnownSeeds) {
    RandomStream r(0);
    EXPECT_EQ(r.uniform(), 0.0);  // state 1: the top 24 bits are 0
    EXPECT_EQ(r.seed(), 1u);
    EXPECT_EQ(r.uniform(), 269.0 / 16777216.0);
    EXPECT_EQ(r.seed(), 69070u);
    EXPECT_EQ(r.uniform_draws(), 2u);
    RandomStream wrap(0xFFFFFFFFu);  // 69069 (2^32 - 1) + 1 modulo 2^32
    wrap.uniform();
    EXPECT_EQ(wrap.seed(), static_cast<std::uint32_t>(69069ull * 0xFFFFFFFFull + 1ull));
    RandomStream top(0x00FFFFFFu);
    double largest = 0.0;
    for (int i = 0; i < 100000; ++i) largest = std::max(largest, top.uniform());
    EXPECT_LT(largest, 1.0);
}

TEST(RandomStream, NormalDiscardsAZeroFirstDrawAndUsesTheCosineBranch) {
    RandomStream r(0), check(0);
    const double z = r.normal();
    check.uniform();  // exactly 0: redrawn
    const double u1 = check.uniform(), u2 = check.uniform();
    EXPECT_DOUBLE_EQ(z, std::sqrt(-2.0 * std::log(u1)) * std::cos(static_cast<double>(6.28318f) * u2));
    EXPECT_EQ(r.uniform_draws(), 3u);
    EXPECT_EQ(r.normal_draws(), 1u);
    EXPECT_EQ(r.seed(), check.seed());

    RandomStream many(987654321u);
    double sum2 = 0.0;
    for (int i = 0; i < 100000; ++i) sum2 += std::pow(many.normal(), 2);
    EXPECT_NEAR(sum2 / 100000, 1.0, 0.02);
}

// The stream hands out states computed a block at a time; these must be the
// plain step's, draw for draw: across refills, a reseed in the middle of a
// block (a pass with its own seed word), a copy (passes copy the stream) and
// draws skipped by a loop that worked their states out itself, a few or many
// blocks' worth.
TEST(RandomStream, BlocksDrawThePlainStepsWhateverTheRefillsReseedsCopiesAndSkips) {
    constexpr std::uint64_t draws = 10'000'000;
    for (const std::uint32_t seed : {0u, 1u, 0xFFFFFFFFu, 20261208u, 2126608633u}) {
        RandomStream stream(seed);
        std::uint32_t plain = seed;
        std::uint64_t drawn = 0;
        std::uint64_t wrong_at = 0;  // the first draw whose value, seed word or count differ
        bool reseeded = false;
        auto next_plain = [&plain] { return plain = 69069u * plain + 1u; };
        auto check = [&](bool same) {
            if (!same && wrong_at == 0) wrong_at = drawn;
        };
        while (drawn < draws) {
            if (!reseeded && drawn >= draws / 2 + 37) {  // a new pass: its own seed word, counters going on
                reseeded = true;
                plain = seed ^ 0x9E3779B9u;
                stream.reseed(plain);
            }
            if (drawn % 1000 == 501) {
                const RandomStream copy = stream;
                stream = RandomStream(7u);
                stream = copy;
            }
            if (drawn % 1000 == 777) {  // draws skipped: 1 to 3 blocks' worth, now and then thousands
                const std::uint64_t n = drawn / 1000 % 200 + 1 + (drawn % 7000 == 777 ? 3000 : 0);
                for (std::uint64_t k = 0; k < n; ++k) next_plain();
                stream.skip(n);
                drawn += n;
            } else {
                const double u = stream.uniform();
                ++drawn;
                check(u == static_cast<double>(next_plain() >> 8) / 16777216.0);
            }
            check(stream.seed() == plain && stream.uniform_draws() == drawn);
        }
        EXPECT_EQ(wrong_at, 0u) << "seed word " << seed;
    }
}

// The map of k steps by squaring against k single steps, across the bits of k.
TEST(RandomStream, JumpOfManyStepsIsThatManySingleSteps) {
    for (const std::uint64_t k : {0ull, 1ull, 2ull, 63ull, 64ull, 65ull, 1000ull, 65537ull, 1000003ull}) {
        std::uint32_t plain = 20261208u;
        for (std::uint64_t n = 0; n < k; ++n) plain = 69069u * plain + 1u;
        EXPECT_EQ(stream_jump_far(k)(20261208u), plain) << k;
    }
    // 2^32 steps return to the start: the generator has the full period.
    EXPECT_EQ(stream_jump_far(std::uint64_t{1} << 32)(12345u), 12345u);
}

TEST(FixedField, ValuesFillTheirColumnsWhateverTheirSize) {
    struct Case {
        std::string got, want;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {int_field(5, 3), "  5"},
        {int_field(-12, 4), " -12"},
        {int_field(123456, 3), "***"},  // too narrow even for an exponent
        {int_field(12345678901LL, 8), "1.23e+10"},
        {real_field(0.0025, 12, 9), " 0.002500000"},
        {real_field(-1.0, 8, 3), "  -1.000"},
        {real_field(2.5, 8, 0), "       2"},  // printf rounds halves to even
        {real_field(-0.00001, 7, 2), "   0.00"},  // no negative zero
        {real_field(12345.678, 7, 3), "12345.7"},  // decimals given up first
        {real_field(1234567.0, 7, 3), "1234567"},
        {real_field(1.5e12, 9, 2), "1.500e+12"},
        {real_field(1e305, 6, 1), "1e+305"},
        {real_field(std::nan(""), 7, 2), "   0.00"},
        {real_field(inf, 6, 1), "   0.0"},
        {real_field(-inf, 6, 1), "   0.0"},
        {text_field("rmd", 7), "rmd    "},
        {text_field("shannon", 6), "shanno"},
        {text_field("x", 0), ""},
        {blanks(-1), ""},
        // Message numbers widen rather than lose the value.
        {int_field_min(5000, 3), "5000"},
        {real_field_min(-1.5, 7, 2), "  -1.50"},
        {real_field_min(2e-7, 7, 2), "2.00e-07"},
        {real_field_min(-0.001, 5, 2), "-1.00e-03"},
        {real_field_min(-0.0, 5, 2), " 0.00"},
        {real_field_min(1e25, 5, 0), "1e+25"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Rounding, NearestTruncationAndTheirLimits) {
    EXPECT_EQ(nearest(2.5), 3);
    EXPECT_EQ(nearest(-2.5), -3);
    EXPECT_EQ(nearest(0.49999), 0);
    EXPECT_EQ(trunc_to(3.99), 3);
    EXPECT_EQ(trunc_to(-3.99), -3);
    EXPECT_EQ(trunc_to<int>(1e20), 2147483647);
    EXPECT_EQ(trunc_to<int>(-1e20), -2147483647 - 1);
    EXPECT_EQ(trunc_to<int>(std::nan("")), 0);
    EXPECT_EQ(nearest<int>(INFINITY), 2147483647);
    EXPECT_NEAR(lb(8.0), 3.0, 1e-7);
    EXPECT_LT(lb(2.0), 1.0);  // the single-precision ln 2 lies above ln 2
}

}  // namespace
}  // namespace lorvenna
