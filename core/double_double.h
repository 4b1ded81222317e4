// Double-double arithmetic: a value held as the unevaluated sum hi + lo of
// two doubles, with the exact sum and product of two doubles built from
// plain IEEE operations (no fused multiply-add), so that every system
// gives the same bits.
#ifndef CORE_DOUBLE_DOUBLE_H
#define CORE_DOUBLE_DOUBLE_H

namespace core {

struct DoubleDouble {
    double hi;
    double lo;
};

// a + b exactly, as the rounded sum and its error.
inline DoubleDouble two_sum(double a, double b) {
    double sum = a + b;
    double b_part = sum - a;
    double error = (a - (sum - b_part)) + (b - b_part);
    return {sum, error};
}

// a + b exactly where |a| >= |b| (or a is zero).
inline DoubleDouble fast_two_sum(double a, double b) {
    double sum = a + b;
    return {sum, b - (sum - a)};
}

// a * b exactly, as the rounded product and its error (Dekker's product
// with Veltkamp's splitting; exact while nothing overflows or underflows).
inline DoubleDouble two_product(double a, double b) {
    constexpr double splitter = 134217729.0;  // 2^27 + 1
    double a_scaled = splitter * a, b_scaled = splitter * b;
    double a_high = a_scaled - (a_scaled - a), a_low = a - a_high;
    double b_high = b_scaled - (b_scaled - b), b_low = b - b_high;
    double product = a * b;
    double error = ((a_high * b_high - product) + a_high * b_low + a_low * b_high) + a_low * b_low;
    return {product, error};
}

// The nearest integer to value, ties to even, for |value| < 2^51.
inline double round_to_integer(double value) {
    constexpr double shifter = 6755399441055744.0;  // 1.5 * 2^52
    return (value + shifter) - shifter;
}

}  // namespace core

#endif
