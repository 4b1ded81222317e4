// The long checks of the correctly rounded functions against MPFR,
// outside the test suite.
//   cr_math_check compare COUNT [SEED [FUNCTIONS]]
//       each function on COUNT arguments
//   cr_math_check errors COUNT [SEED [FUNCTIONS]]
//       the fast road's largest relative error, and how often it cannot
//       decide
// FUNCTIONS picks some of sin, cos, tan, acos and sincos (cr_sin_cos,
// both results, on latitudes), as in "sin,acos".
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mpfr.h>
#include <random>
#include <string>

#include "core/cr_math.h"
#include "core/cr_math_slow.h"
#include "tests/support/cr_math_arguments.h"

namespace {

const char* names[] = {"sin", "cos", "tan", "acos", "sincos"};
constexpr int function_count = 5;
constexpr int sin_cos = 4;

int reference(int function, mpfr_t out, double x) {
    mpfr_t in;
    mpfr_init2(in, 53);
    mpfr_set_d(in, x, MPFR_RNDN);
    int t = function == 0   ? mpfr_sin(out, in, MPFR_RNDN)
            : function == 1 ? mpfr_cos(out, in, MPFR_RNDN)
            : function == 2 ? mpfr_tan(out, in, MPFR_RNDN)
                            : mpfr_acos(out, in, MPFR_RNDN);
    mpfr_clear(in);
    return t;
}

double argument(int function, std::mt19937_64& random, uint64_t i) {
    if (function == sin_cos) return test_support::latitude_argument(random, i);
    return function == 3 ? test_support::acos_argument(random, i) : test_support::trig_argument(random, i);
}

bool same(double expected, double got) {
    return std::memcmp(&expected, &got, sizeof got) == 0 || (expected != expected && got != got);
}

// cr_sin_cos against MPFR's sine and cosine: the number of arguments where
// either differs.
long long compare_sin_cos(long long count, uint64_t seed, mpfr_t y) {
    std::mt19937_64 random(seed + sin_cos);
    long long differ = 0;
    for (long long i = 0; i < count; ++i) {
        double x = argument(sin_cos, random, static_cast<uint64_t>(i));
        double sine, cosine;
        core::cr_sin_cos(x, &sine, &cosine);
        double expected[2];
        for (int k = 0; k < 2; ++k) {
            int t = reference(k, y, x);
            mpfr_subnormalize(y, t, MPFR_RNDN);
            expected[k] = mpfr_get_d(y, MPFR_RNDN);
        }
        if (!same(expected[0], sine) || !same(expected[1], cosine)) {
            if (differ < 10)
                std::printf("sincos(%a): %a %a, MPFR %a %a\n", x, sine, cosine, expected[0], expected[1]);
            ++differ;
        }
    }
    return differ;
}

double ours(int function, double x) {
    return function == 0 ? core::cr_sin(x) : function == 1 ? core::cr_cos(x) : function == 2 ? core::cr_tan(x) : core::cr_acos(x);
}

char chosen[128] = ",sin,cos,tan,acos,";

bool wanted(int function) {
    char needle[16];
    std::snprintf(needle, sizeof needle, ",%s,", names[function]);
    return std::strstr(chosen, needle) != nullptr;
}

int compare(long long count, uint64_t seed) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t y;
    mpfr_init2(y, 53);
    long long total_differ = 0;
    for (int function = 0; function < function_count; ++function) {
        if (!wanted(function)) continue;
        std::mt19937_64 random(seed + function);
        long long differ = function == sin_cos ? compare_sin_cos(count, seed, y) : 0;
        for (long long i = 0; function != sin_cos && i < count; ++i) {
            double x = argument(function, random, static_cast<uint64_t>(i));
            int t = reference(function, y, x);
            mpfr_subnormalize(y, t, MPFR_RNDN);
            double expected = mpfr_get_d(y, MPFR_RNDN), got = ours(function, x);
            if (!same(expected, got)) {
                if (differ < 10) std::printf("%s(%a): %a, MPFR %a\n", names[function], x, got, expected);
                ++differ;
            }
        }
        std::printf("%s: %lld arguments, %lld differ from MPFR\n", names[function], count, differ);
        std::fflush(stdout);
        total_differ += differ;
    }
    mpfr_clear(y);
    return total_differ == 0 ? 0 : 1;
}

int errors(long long count, uint64_t seed) {
    mpfr_t exact, got, difference;
    mpfr_inits2(300, exact, got, difference, (mpfr_ptr)nullptr);
    for (int function = 0; function < function_count; ++function) {
        if (!wanted(function)) continue;
        std::mt19937_64 random(seed + function);
        double worst = 0.0, worst_x = 0.0;
        long long undecided = 0, measured = 0;
        for (long long i = 0; i < count; ++i) {
            double x = argument(function, random, static_cast<uint64_t>(i));
            if (function != 3 && !(std::fabs(x) >= 0x1p-27 && std::fabs(x) <= 32)) continue;
            // cr_sin_cos: the sine and the cosine in turn.
            int reference_function = function == sin_cos ? static_cast<int>(i / 4 % 2) : function;
            core::FastResult fast;
            if (function == sin_cos) {
                core::FastResult sine, cosine;
                core::fast_sin_cos(x, &sine, &cosine);
                fast = reference_function == 0 ? sine : cosine;
            } else {
                fast = function == 3 ? core::fast_acos(x) : core::fast_trig(static_cast<core::Trig>(function), x);
            }
            ++measured;
            reference(reference_function, exact, x);
            mpfr_set_d(got, fast.value.hi, MPFR_RNDN);
            mpfr_add_d(got, got, fast.value.lo, MPFR_RNDN);
            mpfr_sub(difference, got, exact, MPFR_RNDN);
            if (mpfr_zero_p(exact)) continue;
            mpfr_div(difference, difference, exact, MPFR_RNDN);
            double relative = std::fabs(mpfr_get_d(difference, MPFR_RNDN));
            if (relative > worst) {
                worst = relative;
                worst_x = x;
            }
            double error = fast.relative_error * std::fabs(fast.value.hi);
            if (fast.value.hi + (fast.value.lo - error) != fast.value.hi + (fast.value.lo + error)) ++undecided;
        }
        std::printf("%s: largest relative error 2^%.2f (at %a); %lld of %lld (%.4f%%) go the slow road\n",
                    names[function], std::log2(worst), worst_x, undecided, measured,
                    100.0 * static_cast<double>(undecided) / static_cast<double>(measured));
        std::fflush(stdout);
    }
    mpfr_clears(exact, got, difference, (mpfr_ptr)nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: cr_math_check compare|errors COUNT [SEED]\n");
        return 2;
    }
    long long count = std::atoll(argv[2]);
    uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
    if (argc > 4) std::snprintf(chosen, sizeof chosen, ",%s,", argv[4]);
    return std::string(argv[1]) == "errors" ? errors(count, seed) : compare(count, seed);
}
