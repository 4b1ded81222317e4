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

}  // namespace core

#endif
