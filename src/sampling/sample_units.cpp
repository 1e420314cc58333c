#include "sampling/sample_units.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/rounding.hpp"

namespace lorvenna {

bool is_nested(Design d) { return d == Design::nested || d == Design::octaves || d == Design::other; }

bool is_reshuffled(Design d) {
    return d == Design::independent || d == Design::random_dependent || d == Design::diagonal;
}

bool is_accumulating(Design d) { return d == Design::random_dependent || d == Design::diagonal; }

Window sampling_window(const SamplingFrame& f) {
    Window w;
    if (f.grid_side < 1) return w;
    w.offset = std::clamp<std::int64_t>(f.offset, 0, f.grid_side - 1);
    const int room = static_cast<int>(f.grid_side - w.offset);
    w.square = std::clamp(f.square_side, 1, room);
    w.side = w.square;
    if (is_accumulating(f.design)) w.side = std::min(std::max(w.square, std::max(f.factor, 1)), room);
    return w;
}

Block unit_block(Design d, int factor, const SampleTables& t, const Window& w, int i) {
    const int f = std::max(factor, 1);
    Block b;
    if (w.side < 1 || i < 1) return b;
    switch (d) {
        case Design::nested:
        case Design::other: {
            const int s = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(i) * f,
                                                                  w.square));
            return Block{1, 1, s, s};
        }
        case Design::independent: {
            const std::int64_t first = static_cast<std::int64_t>(i) * (i - 1) / 2 + 1;
            const std::int64_t last = static_cast<std::int64_t>(i) * (i + 1) / 2;
            if (first > w.square) return b;
            const int a = static_cast<int>(first);
            const int e = static_cast<int>(std::min<std::int64_t>(last, w.square));
            return Block{a, a, e, e};
        }
        case Design::octaves: {
            const double side = std::sqrt(std::ldexp(1.0, std::min(i - 1, 2000)));
            const int s = static_cast<int>(std::min<double>(std::trunc(side), w.square));
            return Block{1, 1, s, s};
        }
        case Design::random_dependent:
        case Design::diagonal: {
            const auto k = static_cast<std::size_t>(i - 1);
            if (k >= t.x.size() || k >= t.y.size() || t.x[k] <= 0 || t.y[k] <= 0) return b;
            const std::int64_t x = t.x[k] - w.offset;
            const std::int64_t y = t.y[k] - w.offset;
            const std::int64_t x0 = std::max<std::int64_t>(x, 1);
            const std::int64_t y0 = std::max<std::int64_t>(y, 1);
            const std::int64_t x1 = std::min<std::int64_t>(x + f - 1, w.side);
            const std::int64_t y1 = std::min<std::int64_t>(y + f - 1, w.side);
            if (x1 < x0 || y1 < y0) return b;
            return Block{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1),
                         static_cast<int>(y1)};
        }
    }
    return b;
}

std::int64_t unit_area(Design d, const Block& b, int i) {
    if (d == Design::octaves) return (i >= 1 && i - 1 < 32) ? (std::int64_t{1} << (i - 1)) : 0;
    return b.cells();
}

int dependent_start(double u, int square, int factor) {
    const int n = std::max(square, 1);
    int r = std::min(trunc_to<int>(u * n) + 1, n);
    if (r + factor - 1 > n) r -= factor;
    return std::max(r, 1);
}

int diagonal_start(int i, int square, int factor) {
    const int n = std::max(square, 1);
    int r = i;
    if (r + factor - 1 > n) r -= factor;
    if (r + factor - 1 > n) r = n - factor + 1;  // far beyond the square: its last block
    return std::max(r, 1);
}

int design_bound(Design d, int SampA, int factor) {
    if (SampA < 1) return 0;
    const std::int64_t f = std::max(factor, 1);
    const std::int64_t a = SampA;
    switch (d) {
        case Design::random_dependent:
            return static_cast<int>(std::min<std::int64_t>(a * a / f, 2147483647));
        case Design::diagonal:
        case Design::nested:
        case Design::other:
            return static_cast<int>(a / f);
        case Design::independent: {
            const float s = std::sqrt(2.0f * static_cast<float>(SampA) + 0.5f) - 0.5f;
            return trunc_to<int>(static_cast<double>(s));
        }
        case Design::octaves: {
            const float s = 2.0f * std::log(static_cast<float>(SampA)) / 0.6931472f;
            return trunc_to<int>(static_cast<double>(s));
        }
    }
    return 0;
}

std::vector<int> sample_size_series(int minSa, int StepSa, int maxSa) {
    const int last = std::max(maxSa, 1);
    const int step = std::max(StepSa, 1);
    std::vector<int> sizes;
    int n = std::clamp(minSa, 1, last);
    while (n <= last) {
        sizes.push_back(n);
        if (n < last && static_cast<std::int64_t>(n) + step > last)
            n = last;
        else if (static_cast<std::int64_t>(n) + step > last)
            break;
        else
            n += step;
    }
    return sizes;
}

void exchange_units(RandomStream& random, std::vector<int>& order, int n, int exchanges) {
    const int movable = std::max(n - 1, 1);
    const int limit = static_cast<int>(order.size());
    for (int e = 0; e < exchanges; ++e) {
        const int a = trunc_to<int>(random.uniform() * (n - 1)) + 1;
        const int b = trunc_to<int>(random.uniform() * (n - 1)) + 1;
        const int pa = std::min(std::min(a, movable), limit);
        const int pb = std::min(std::min(b, movable), limit);
        if (pa >= 1 && pb >= 1) std::swap(order[static_cast<std::size_t>(pa - 1)],
                                          order[static_cast<std::size_t>(pb - 1)]);
    }
}

}  // namespace lorvenna
