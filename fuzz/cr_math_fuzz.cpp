// The two roads of the correctly rounded functions against each other on
// any double: the fast road's answer, where it gives one, must be the
// fixed-point road's, and both are correctly rounded by construction.
#include <cmath>
#include <cstring>

#include "core/cr_math.h"
#include "core/cr_math_slow.h"
#include "fuzz/fuzz_support.h"

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < sizeof(double)) return 0;
    double x;
    std::memcpy(&x, data, sizeof x);
    if (!std::isfinite(x)) return 0;
    if (std::fabs(x) >= 0x1p-27) {
        fuzz::check(same_bits(core::cr_sin(x), core::slow_trig(core::Trig::sine, x)), "sine");
        fuzz::check(same_bits(core::cr_cos(x), core::slow_trig(core::Trig::cosine, x)), "cosine");
        fuzz::check(same_bits(core::cr_tan(x), core::slow_trig(core::Trig::tangent, x)), "tangent");
    }
    // The arc cosine of x folded into (-1, 1).
    double y = std::fmod(x, 1.0);
    if (y != 0.0) fuzz::check(same_bits(core::cr_acos(y), core::slow_acos(y, std::acos(y))), "arc cosine");
    fuzz::check(!core::slow_rounding_undecided, "slow road decided");
    return 0;
}
