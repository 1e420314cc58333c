#pragma once
// Sizes that cannot wrap: products and sums of byte counts held at the largest
// 64-bit value, so that a guard comparing them with the memory at hand never
// sees a huge request as a small one.
#include <cstdint>
#include <limits>

namespace lorvenna {

inline constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();

inline std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? saturated : sum;
}

inline std::uint64_t saturating_mul(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? saturated : product;
}

}  // namespace lorvenna
