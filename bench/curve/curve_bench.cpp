// Time of a rarefaction and extrapolation curve of Hill numbers (q = 0, 1, 2
// and coverage, 40 knots up to twice the sample) with 50 bootstrap replicates,
// on abundance samples of 10^4, 10^5 and 10^6 individuals drawn from one
// lognormal community of 1000 species.  It reports, never fails on time.
//
//   build/dev/curve_bench [--repeat N]
//
// Columns: individuals, species seen, seconds without bootstrap, with 50 and
// with 100 replicates (medians of N runs), and the seconds per replicate.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "numerics/binomial_draw.hpp"
#include "statistics/diversity_curve.hpp"

namespace {

using namespace lorvenna;

double seconds_of(const FrequencyCounts& counts, int replicates, int repeat) {
    const std::vector<std::int64_t> sizes = curve_sizes(counts.size, 2 * counts.size, 40);
    std::vector<double> times;
    for (int r = 0; r < repeat; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const std::vector<CurvePoint> curve = diversity_curve(counts, sizes, replicates, 42);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (curve.empty() || !(curve.back().diversity[1] > 0.0)) std::printf("(no curve)\n");
        times.push_back(s);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--repeat") == 0) repeat = std::max(1, std::atoi(argv[i + 1]));
    // A lognormal community: ln abundance ~ Normal(0, 2), 1000 species.
    ResamplingGenerator g(20261209);
    std::vector<double> community(1000);
    for (double& a : community) {
        const double u1 = 1.0 - g.uniform(), u2 = g.uniform();
        a = std::exp(2.0 * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2));
    }
    std::printf("%10s %8s %10s %10s %10s %14s\n", "individuals", "species", "B = 0 s", "B = 50 s", "B = 100 s",
                "s / replicate");
    for (const std::int64_t n : {10000LL, 100000LL, 1000000LL}) {
        std::vector<std::int64_t> counts;
        multinomial_draw(n, community, g, counts);
        const FrequencyCounts sample = frequency_counts(AbundanceSample{counts});
        const double none = seconds_of(sample, 0, repeat), fifty = seconds_of(sample, 50, repeat),
                     hundred = seconds_of(sample, 100, repeat);
        std::printf("%10lld %8lld %10.3f %10.3f %10.3f %14.5f\n", static_cast<long long>(n),
                    static_cast<long long>(sample.observed), none, fifty, hundred, (hundred - fifty) / 50.0);
        std::fflush(stdout);
    }
    return 0;
}
