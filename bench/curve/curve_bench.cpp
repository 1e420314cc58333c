// Time of a rarefaction and extrapolation curve of Hill numbers (q = 0, 1, 2
// and coverage, 40 knots up to twice the sample) with its bootstrap
// intervals, on abundance samples of 10^4, 10^5 and 10^6 individuals drawn
// from one lognormal community of 1000 species (some 600 to 1000 of them
// seen), and of the true curve of that community at the same knots.  It
// reports, never fails on time.
//
//   build/dev/curve_bench [--repeat N]
//
// Columns: individuals, species seen, seconds with B = 0, 25, 50 and 100
// bootstrap replicates (medians of N runs), the seconds per replicate (the
// slope from 25 to 100), the growth of the B = 50 time over the row before
// (ten times the individuals), the true curve's seconds, and iNEXT 3.0.2's
// measured seconds for the same task over ours at B = 50 (32 s at 10^4 and
// 359 s at 10^5 individuals on this machine, issue 26).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "numerics/binomial_draw.hpp"
#include "statistics/diversity_curve.hpp"
#include "statistics/true_diversity_curve.hpp"

namespace {

using namespace lorvenna;

template <class Work>
double median_seconds(int repeat, Work&& work) {
    std::vector<double> times;
    for (int r = 0; r < repeat; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double seconds_of(const FrequencyCounts& counts, int replicates, int repeat) {
    const std::vector<std::int64_t> sizes = curve_sizes(counts.size, 2 * counts.size, 40);
    return median_seconds(repeat, [&] {
        const std::vector<CurvePoint> curve = diversity_curve(counts, sizes, replicates, 42);
        if (curve.empty() || !(curve.back().diversity[1] > 0.0)) std::printf("(no curve)\n");
    });
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
    std::printf("%11s %7s %8s %8s %8s %8s %12s %7s %8s %10s\n", "individuals", "species", "B=0 s", "B=25 s", "B=50 s",
                "B=100 s", "s/replicate", "growth", "truth s", "iNEXT/ours");
    double before = 0.0;
    for (const std::int64_t n : {10000LL, 100000LL, 1000000LL}) {
        std::vector<std::int64_t> counts;
        multinomial_draw(n, community, g, counts);
        const FrequencyCounts sample = frequency_counts(AbundanceSample{counts});
        const double none = seconds_of(sample, 0, repeat), quarter = seconds_of(sample, 25, repeat),
                     fifty = seconds_of(sample, 50, repeat), hundred = seconds_of(sample, 100, repeat);
        const std::vector<std::int64_t> sizes = curve_sizes(n, 2 * n, 40);
        const double truth = median_seconds(repeat, [&] {
            if (true_diversity_curve(community, sizes).empty()) std::printf("(no truth)\n");
        });
        const double inext = n == 10000 ? 32.0 : n == 100000 ? 359.0 : 0.0;
        std::printf("%11lld %7lld %8.3f %8.3f %8.3f %8.3f %12.5f %7s %8.3f %10s\n", static_cast<long long>(n),
                    static_cast<long long>(sample.observed), none, quarter, fifty, hundred, (hundred - quarter) / 75.0,
                    before > 0.0 ? (std::to_string(fifty / before).substr(0, 5) + "x").c_str() : "",
                    truth, inext > 0.0 ? (std::to_string(static_cast<long long>(inext / fifty)) + "x").c_str() : "");
        std::fflush(stdout);
        before = fifty;
    }
    return 0;
}
