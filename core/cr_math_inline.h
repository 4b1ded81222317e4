// The pieces of the correctly rounded functions that the measurement of
// every hop uses, inline: the rounding test, the cosine of a small angle
// and bounds on the arc cosine.
#ifndef CORE_CR_MATH_INLINE_H
#define CORE_CR_MATH_INLINE_H

#include <cmath>

#include "core/cr_math.h"
#include "core/cr_math_tables.h"
#include "core/double_double.h"

namespace core {

// Bound on the relative error of the double-double sine and cosine, some
// twice the largest error measured against MPFR (2^-67.5), which is what
// the analysis of each evaluation gives too.
inline constexpr double cr_sin_cos_error = 0x1.8p-67;

// Rounds y to the nearest double when y plus or minus its error bound
// rounds to the same one; the error of the two additions is far below the
// bound.
inline bool round_safely(DoubleDouble y, double relative_error, double* result) {
    double error = relative_error * std::fabs(y.hi);
    double below = y.hi + (y.lo - error);
    double above = y.hi + (y.lo + error);
    if (below != above) return false;
    *result = below;
    return true;
}

// cos x for |x| < 2^-8: the series of cos x - 1 alone, well below 2^-16,
// so that its rounding errors stay near 2^-69.
inline DoubleDouble small_cosine(double x) {
    double x2 = x * x;
    return fast_two_sum(1.0, x2 * (-0.5 + x2 * (1.0 / 24 - x2 * (1.0 / 720))));
}

// cr_cos(x), with the small arguments that longitude differences of hops
// are evaluated here and the others by cr_cos. Below 2^-27 the cosine
// rounds to 1.
inline double cr_cos_inline(double x) {
    double ax = std::fabs(x);
    if (ax < 0x1p-27) return 1.0;
    double result;
    if (ax < 0x1p-8 && round_safely(small_cosine(x), cr_sin_cos_error, &result)) return result;
    return cr_cos(x);
}

// How far acos_bounds widens its estimates: the relative margin of the
// series near 1 (2^-50) and the absolute one of the table (2^-45). Every
// run keeps them; a test narrows them to show that too tight a bound
// changes decisions.
struct AcosMargins {
    double relative;
    double absolute;
};
extern AcosMargins acos_margins;

// Bounds *lo <= cr_acos(x) <= *hi for x in [-1, 1], from an evaluation
// several times cheaper than cr_acos itself: *hi - *lo is at most 2^-44,
// and at most 2^-49 of the value for x > 1 - 2^-15, where the arc cosine
// is below 2^-7. Both are the value itself where that is known (x = 1).
//
// The bounds are proven as follows; "2^-k" below always bounds an
// absolute value, and every rounding is to nearest (at most half an ulp).
//
// Near 1 (z = (1 - x)/2 < 2^-16, exact since 1 - x is exact for x >= 1/2):
// acos x = 2 asin(sqrt z) = 2 sqrt(z) (1 + z/6 + 3z^2/40 + 15z^3/336 + R)
// with R = sum of c_k z^k, k >= 4, whose coefficients are positive and
// fall (c_k+1/c_k = (2k+1)^2/((2k+2)(2k+3))), so R <= c_4 z^4/(1 - z)
// < 0.031 * 2^-64 < 2^-69. The rounded root has relative error 2^-53, so
// has 1 + t, and so has the product by 2s; t itself (below 2^-18.5) is off
// by a few of its own ulps, under 2^-68, constants included. The estimate
// e is therefore acos(x) (1 + r) with |r| <= 3 * 2^-53 + 2^-67 < 0.38 *
// 2^-50, and e (1 -+ 2^-50), rounded (another 2^-53 = 0.125 * 2^-50),
// lies below and above acos x.
//
// Elsewhere, from the arc sine at u in [0, 1/2]: u = |x| for |x| <= 1/2,
// else u = sqrt z (rounded) with acos x = 2 asin u for x > 0 and
// pi - 2 asin u for x < 0. With b = j/128 the nearest table point and
// d = u - b (exact, |d| <= 2^-8), asin u = c_0 + c_1 d + ... + c_5 d^5 +
// f^(6)(y) d^6/6! for some y between b and u (Lagrange). Every derivative
// of asin is odd or even with a series of positive terms, so
// |f^(6)(y)|/6! <= f^(6)(0.50390625)/6! = 1.3498.., and the remainder is
// below 1.35 * 2^-48 < 2^-47.56. The table's c_0 and c_1 are used without
// their low parts (2^-54, and 2^-53 times |d| = 2^-61), the other
// coefficients are within 2^-53 of their own size times d^k (< 2^-69).
// Evaluated as (c_0 + c_1 d) + d^2 ((c_2 + c_3 d) + d^2 (c_4 + c_5 d)):
// c_1 d rounds by 2^-60.8, the sum with c_0 (below 0.53) by 2^-54, the
// second part (below 0.41) and its product with d^2 (below 2^-16) by
// under 2^-68 together, the last sum (below 0.53) by 2^-54. So the arc
// sine is within 2^-47.56 + 2^-54 + 2^-54 + 2^-54 + 2^-60 < 2^-47.5 of
// asin u. The rounded root moves asin u by at most 1.155 (the slope
// 1/sqrt(1 - 1/4)) times 2^-54 < 2^-53.7. Then pi/2 - asin (or + asin):
// pi/2 as one double is off by 2^-53.8, the result (below 2.1) rounds by
// 2^-52: 2^-47.4 in all. 2 asin: twice the error, 2^-46.45. pi - 2 asin:
// pi off by 2^-52.8, the result rounds by 2^-52: 2^-46.3. So e is within
// 2^-46.3 of acos x, and e -+ 2^-45, rounded (2^-52), lies below and
// above it.
//
// Both bounds are doubles, and cr_acos x is acos x rounded to nearest, a
// monotonic rounding: it lies between them too.
[[gnu::always_inline]] inline void acos_bounds(double x, double* lo, double* hi) {
    double ax = std::fabs(x);
    if (!(ax <= 1.0)) {
        *lo = *hi = cr_acos(x);  // NaN
        return;
    }
    double z = (1.0 - ax) * 0.5;
    if (x > 0.5 && z < 0x1p-16) {
        double s = std::sqrt(z);
        double t = z * (1.0 / 6 + z * (3.0 / 40 + z * (15.0 / 336)));
        double e = (2.0 * s) * (1.0 + t);
        *lo = e * (1.0 - acos_margins.relative);
        *hi = e * (1.0 + acos_margins.relative);
        return;
    }
    double u = ax <= 0.5 ? ax : std::sqrt(z);
    double j = round_to_integer(u * 128.0);
    const double* c = cr_math_tables::asin_table[static_cast<int>(j)];
    double d = u - j * 0x1p-7;  // exact
    double d2 = d * d;
    double a = (c[0] + c[2] * d) + d2 * ((c[4] + c[5] * d) + d2 * (c[6] + c[7] * d));
    double e;
    if (ax <= 0.5) e = x < 0 ? cr_math_tables::pi_over_2[0] + a : cr_math_tables::pi_over_2[0] - a;
    else e = x > 0 ? 2.0 * a : cr_math_tables::pi[0] - 2.0 * a;
    *lo = e - acos_margins.absolute;
    *hi = e + acos_margins.absolute;
}

}  // namespace core

#endif
