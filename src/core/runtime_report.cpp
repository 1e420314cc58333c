#include "core/runtime_report.hpp"

#include "core/console.hpp"
#include "numerics/fixed_field.hpp"

namespace lorvenna {

void print_runtime_report(Io& io) {
    // Elapsed time from a steady clock: a run across midnight never reports a negative time.
    long long elapsed = io.elapsed();
    if (elapsed < 0) elapsed = 0;
    const long long h = elapsed / 3600;
    const long long m = elapsed / 60 - h * 60;
    const long long s = elapsed - m * 60 - h * 3600;
    tell_fixed(io, "Runtime of program: " + int_field(h, 3) + "hh" + int_field(m, 3) + "min" + int_field(s, 3) + "sec");
}

}  // namespace lorvenna
