// The correctly rounded functions against MPFR on millions of arguments
// (CR_MATH_ARGUMENTS per function, default 10^7), spread over each
// domain and packed where rounding is hard. Native Linux builds only.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <mpfr.h>

#include "core/cr_math.h"
#include "core/cr_math_slow.h"
#include "tests/support/cr_math_arguments.h"

namespace {

long long argument_count() {
    const char* text = std::getenv("CR_MATH_ARGUMENTS");
    return text != nullptr ? std::atoll(text) : 10000000;
}

using Mpfr = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

void expect_mpfr_agrees(double (*ours)(double), Mpfr theirs, bool acos, uint64_t seed) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t in, out;
    mpfr_inits2(53, in, out, (mpfr_ptr)nullptr);
    std::mt19937_64 random(seed);
    long long count = argument_count(), differ = 0;
    for (long long i = 0; i < count; ++i) {
        uint64_t index = static_cast<uint64_t>(i);
        double x = acos ? test_support::acos_argument(random, index) : test_support::trig_argument(random, index);
        mpfr_set_d(in, x, MPFR_RNDN);
        int ternary = theirs(out, in, MPFR_RNDN);
        mpfr_subnormalize(out, ternary, MPFR_RNDN);
        double expected = mpfr_get_d(out, MPFR_RNDN), got = ours(x);
        if (std::memcmp(&expected, &got, sizeof got) != 0) {
            if (++differ <= 10) ADD_FAILURE() << std::hexfloat << x << ": " << got << ", MPFR " << expected;
        }
    }
    mpfr_clears(in, out, (mpfr_ptr)nullptr);
    EXPECT_EQ(0, differ) << "of " << count << " arguments";
    EXPECT_FALSE(core::slow_rounding_undecided);
}

TEST(CrMathAgainstMpfr, Sin) { expect_mpfr_agrees(core::cr_sin, mpfr_sin, false, 1); }
TEST(CrMathAgainstMpfr, Cos) { expect_mpfr_agrees(core::cr_cos, mpfr_cos, false, 2); }
TEST(CrMathAgainstMpfr, Tan) { expect_mpfr_agrees(core::cr_tan, mpfr_tan, false, 3); }
TEST(CrMathAgainstMpfr, Acos) { expect_mpfr_agrees(core::cr_acos, mpfr_acos, true, 4); }

// Both results of cr_sin_cos on latitudes, near pi/4 and pi/2 where its
// road changes, and on any argument of sin and cos.
TEST(CrMathAgainstMpfr, SinCos) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t in, out;
    mpfr_inits2(53, in, out, (mpfr_ptr)nullptr);
    std::mt19937_64 random(5);
    long long count = argument_count(), differ = 0;
    for (long long i = 0; i < count; ++i) {
        double x = test_support::latitude_argument(random, static_cast<uint64_t>(i));
        double got[2];
        core::cr_sin_cos(x, &got[0], &got[1]);
        mpfr_set_d(in, x, MPFR_RNDN);
        for (int k = 0; k < 2; ++k) {
            int ternary = k == 0 ? mpfr_sin(out, in, MPFR_RNDN) : mpfr_cos(out, in, MPFR_RNDN);
            mpfr_subnormalize(out, ternary, MPFR_RNDN);
            double expected = mpfr_get_d(out, MPFR_RNDN);
            if (std::memcmp(&expected, &got[k], sizeof expected) != 0 && ++differ <= 10)
                ADD_FAILURE() << std::hexfloat << x << ": " << (k == 0 ? "sin " : "cos ") << got[k]
                              << ", MPFR " << expected;
        }
    }
    mpfr_clears(in, out, (mpfr_ptr)nullptr);
    EXPECT_EQ(0, differ) << "of " << count << " arguments";
}

}  // namespace
