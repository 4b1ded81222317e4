// The two roads of the correctly rounded functions, apart, for their own
// checks. The fast road gives a double-double with a bound on its
// relative error; the slow road computes the same functions in fixed point
// with 320 fraction bits, for the rare arguments whose fast result lies
// too close to a rounding boundary to decide.
#ifndef CORE_CR_MATH_SLOW_H
#define CORE_CR_MATH_SLOW_H

#include "core/double_double.h"

namespace core {

enum class Trig { sine, cosine, tangent };

struct FastResult {
    DoubleDouble value;
    double relative_error;  // |value - exact| <= relative_error * |value.hi|
};

// The function of x for 2^-27 <= |x| <= 32.
FastResult fast_trig(Trig function, double x);

// sin x and cos x at once for 2^-27 <= |x| <= 32, as cr_sin_cos takes
// them: latitudes up to pi/2 - 2^-30 without the general reduction.
void fast_sin_cos(double x, FastResult* sine, FastResult* cosine);

// acos(x) for -1 <= x <= 1.
FastResult fast_acos(double x);

// The function of x (finite, |x| >= 2^-30) correctly rounded, for any
// magnitude of x.
double slow_trig(Trig function, double x);

// acos(x) correctly rounded for -1 < x < 1, x not 0, refined from
// estimate, which must be within 2^-40 of it.
double slow_acos(double x, double estimate);

// Set when a slow result could not be proven to round correctly; the
// tests look at it. Never seen.
extern bool slow_rounding_undecided;

}  // namespace core

#endif
