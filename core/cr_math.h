// Sine, cosine, tangent and arc cosine of doubles, correctly rounded (to
// nearest, ties to even) and computed from +, -, *, / and sqrt alone, so
// that every system and every C library gives the same bits.
#ifndef CORE_CR_MATH_H
#define CORE_CR_MATH_H

namespace core {

// Correctly rounded for every finite argument; NaN for NaN and for the
// infinities.
double cr_sin(double x);
double cr_cos(double x);
double cr_tan(double x);

// sin x and cos x at once, each the same as above.
void cr_sin_cos(double x, double* sine, double* cosine);

// Correctly rounded on [-1, 1]; NaN for NaN and outside [-1, 1].
double cr_acos(double x);

// Bounds *lo <= cr_acos(x) <= *hi for x in [-1, 1], from an evaluation
// several times cheaper than cr_acos itself: *hi - *lo is at most 2^-43,
// and at most 2^-48 of the value for x > 1 - 2^-15, where the arc cosine
// is below 2^-7. Both are the value itself where that is known (x = 1).
void acos_bounds(double x, double* lo, double* hi);

// How far acos_bounds widens its estimates: the relative margin of the
// series near 1 (2^-50) and the absolute one of the table (2^-45). Every
// run keeps them; a test narrows them to show that too tight a bound
// changes decisions.
struct AcosMargins {
    double relative;
    double absolute;
};
extern AcosMargins acos_margins;

}  // namespace core

#endif
