// The fast road: the argument reduced to |r| <= pi/4 with pi/2 in four
// parts, the function evaluated in double-double around a table point,
// and the result rounded when its error bound leaves no doubt about the
// nearest double. About one call in several thousand is too close to a
// rounding boundary and goes to the fixed-point road.
#include "core/cr_math.h"

#include <cmath>
#include <limits>

#include "core/cr_math_inline.h"
#include "core/cr_math_slow.h"
#include "core/cr_math_tables.h"
#include "core/double_double.h"

namespace core {

namespace {

using namespace cr_math_tables;

// Bounds on the relative error of the double-double results below, some
// twice the largest error measured against MPFR (2^-67.5 for the sine and
// cosine, their quotient and the arc cosine alike), which is what the
// analysis of each evaluation gives too.
constexpr double sin_cos_error = cr_sin_cos_error;
constexpr double tan_error = 0x1.8p-66;
constexpr double acos_error = 0x1.8p-67;

constexpr double quarter_pi = 0x1.921fb54442d18p-1;  // pi/4 rounded down
// Up to here cr_sin_cos takes pi/2 - |x| in place of the full reduction.
constexpr double complement_limit = 0x1.921fb54442d18p+0 - 0x1p-30;
constexpr double fast_limit = 32.0;  // k * the pi/2 parts stays exact below

double not_a_number() { return std::numeric_limits<double>::quiet_NaN(); }

DoubleDouble negate(DoubleDouble y) { return {-y.hi, -y.lo}; }

// x = k pi/2 + r for |x| <= fast_limit; returns k mod 4. The product of k
// with each 48-bit part is exact, x - k * part[0] is exact (the two are
// within a factor two), and the rest is summed without loss; the error is
// below 2^-190 absolute and 2^-100 relative.
int reduce(double x, DoubleDouble* r) {
    if (std::fabs(x) <= quarter_pi) {
        *r = {x, 0.0};
        return 0;
    }
    double k = round_to_integer(x * two_over_pi);
    double head = x - k * pi_over_2_parts[0];
    DoubleDouble first = two_sum(head, -k * pi_over_2_parts[1]);
    DoubleDouble second = two_sum(first.hi, -k * pi_over_2_parts[2]);
    *r = fast_two_sum(second.hi, second.lo + first.lo - k * pi_over_2_parts[3]);
    return static_cast<int>(static_cast<long long>(k) & 3);
}

// r split at the nearest table point a = i/128 into a + t, |t| <= 1/256,
// with sin a, cos a and the small parts of sin t and cos t.
struct TablePoint {
    double s_hi, s_lo, c_hi, c_lo;  // sin a, cos a
    double t, t_low;                // t = t + t_low
    double sin_rest;                // sin t - t, for t alone
    double cos_rest;                // cos t - 1
};

inline TablePoint table_point(DoubleDouble r) {
    double i = round_to_integer(r.hi * 128.0);
    const double* row = sin_cos_table[static_cast<int>(std::fabs(i))];
    double sign = i < 0 ? -1.0 : 1.0;
    TablePoint p;
    p.s_hi = sign * row[0];
    p.s_lo = sign * row[1];
    p.c_hi = row[2];
    p.c_lo = row[3];
    p.t = r.hi - i * 0x1p-7;  // exact
    p.t_low = r.lo;
    double t2 = p.t * p.t;
    p.sin_rest = p.t * t2 * (-1.0 / 6 + t2 * (1.0 / 120 - t2 * (1.0 / 5040)));
    p.cos_rest = t2 * (-0.5 + t2 * (1.0 / 24 - t2 * (1.0 / 720)));
    return p;
}

// sin(a + t) = S + C t + S (cos t - 1) + C (sin t - t), plus t_low times
// the derivative cos(a + t) = C - S t.
inline DoubleDouble sin_at(const TablePoint& p) {
    if (p.s_hi == 0.0) return fast_two_sum(p.t, p.t_low + p.sin_rest);  // a = 0
    DoubleDouble ct = two_product(p.c_hi, p.t);
    DoubleDouble head = two_sum(p.s_hi, ct.hi);
    double tail = head.lo + ct.lo + p.s_lo + p.c_lo * p.t + p.s_hi * p.cos_rest +
                  p.c_hi * p.sin_rest + p.t_low * (p.c_hi - p.s_hi * p.t);
    return fast_two_sum(head.hi, tail);
}

// cos(a + t) = C - S t + C (cos t - 1) - S (sin t - t), plus t_low times
// the derivative -sin(a + t) = -(S + C t).
inline DoubleDouble cos_at(const TablePoint& p) {
    if (p.s_hi == 0.0) return fast_two_sum(1.0, p.cos_rest - p.t_low * p.t);  // a = 0
    DoubleDouble st = two_product(p.s_hi, p.t);
    DoubleDouble head = two_sum(p.c_hi, -st.hi);
    double tail = head.lo - st.lo + p.c_lo - p.s_lo * p.t + p.c_hi * p.cos_rest -
                  p.s_hi * p.sin_rest - p.t_low * (p.s_hi + p.c_hi * p.t);
    return fast_two_sum(head.hi, tail);
}

// asin(u) for u = u_hi + u_lo in [0, 0.5], from the Taylor expansion at
// the nearest b = j/128: c_0 + c_1 d + d^2 (c_2 + c_3 d + ... + c_11 d^9)
// with d = u - b, |d| <= 1/256, plus u_lo times the derivative at u.
inline DoubleDouble asin_near(double u_hi, double u_lo) {
    double j = round_to_integer(u_hi * 128.0);
    if (j == 0.0) {
        // At 0: u + u^3/6 + 3u^5/40 + 15u^7/336 + 105u^9/3456 + 945u^11/42240.
        double u2 = u_hi * u_hi;
        double rest = u2 * (1.0 / 6 + u2 * (3.0 / 40 + u2 * (15.0 / 336 + u2 * (105.0 / 3456 + u2 * (945.0 / 42240)))));
        return fast_two_sum(u_hi, u_lo + u_hi * rest + u_lo * (0.5 * u2));
    }
    const double* c = asin_table[static_cast<int>(j)];  // c0 hi lo, c1 hi lo, c2 .. c11
    double d = u_hi - j * 0x1p-7;  // exact
    // c_2 + c_3 d + ... + c_11 d^9 by Estrin's scheme, in pairs, so that
    // the products do not wait for one another.
    double d2 = d * d, d4 = d2 * d2;
    double low = (c[4] + c[5] * d) + (c[6] + c[7] * d) * d2;
    double high = (c[8] + c[9] * d) + (c[10] + c[11] * d) * d2;
    double rest = low + (high + (c[12] + c[13] * d) * d4) * d4;
    DoubleDouble c1d = two_product(c[2], d);
    DoubleDouble head = two_sum(c[0], c1d.hi);
    double derivative = c[2] + d * (2.0 * c[4] + 3.0 * c[5] * d);
    double tail = head.lo + c1d.lo + c[1] + c[3] * d + d * d * rest + u_lo * derivative;
    return fast_two_sum(head.hi, tail);
}

// sin r and cos r for r = r.hi + r.lo with 0 <= r.hi <= pi/4 and |r.lo|
// at most half an ulp of r.hi: sin_at and cos_at with the products of the
// table's sin a and cos a by t taken without Dekker's product. t splits
// into t1, a multiple of 2^-35 of at most 27 bits, and the exact rest t2
// (below 2^-36); the table's 26-bit heads times t1 are exact, and the
// other parts of the products (below 2^-35) round by under 2^-87, far
// below the error bound. sin a >= sin(1/128) and cos a >= 0.7 exceed the
// exact products (below 2^-8), so their sums need no two_sum.
inline void split_sin_cos(DoubleDouble r, DoubleDouble* sine, DoubleDouble* cosine) {
    TablePoint p = table_point(r);
    if (p.s_hi == 0.0) {
        *sine = sin_at(p);
        *cosine = cos_at(p);
        return;
    }
    const double* split = sin_cos_split[static_cast<int>(round_to_integer(r.hi * 128.0))];
    constexpr double shifter = 0x1.8p17;  // rounds to a multiple of 2^-35
    double t1 = (p.t + shifter) - shifter;
    double t2 = p.t - t1;
    double ct_head = split[2] * t1, ct_rest = split[2] * t2 + split[3] * p.t;
    double st_head = split[0] * t1, st_rest = split[0] * t2 + split[1] * p.t;
    DoubleDouble head = fast_two_sum(p.s_hi, ct_head);
    double tail = head.lo + ct_rest + p.s_lo + p.c_lo * p.t + p.s_hi * p.cos_rest +
                  p.c_hi * p.sin_rest + p.t_low * (p.c_hi - p.s_hi * p.t);
    *sine = fast_two_sum(head.hi, tail);
    head = fast_two_sum(p.c_hi, -st_head);
    tail = head.lo - st_rest + p.c_lo - p.s_lo * p.t + p.c_hi * p.cos_rest -
           p.s_hi * p.sin_rest - p.t_low * (p.s_hi + p.c_hi * p.t);
    *cosine = fast_two_sum(head.hi, tail);
}

// sqrt(z) as a double-double: the rounded root and the correction from
// the exact remainder z - root^2.
inline DoubleDouble sqrt_of(double z) {
    if (z == 0.0) return {0.0, 0.0};
    double root = std::sqrt(z);
    // The reciprocal is taken while the remainder is formed, off the
    // critical path; its rounding costs 2^-53 of a correction that is
    // itself 2^-53 of the root.
    double half_reciprocal = 0.5 / root;
    DoubleDouble square = two_product(root, root);
    return {root, ((z - square.hi) - square.lo) * half_reciprocal};
}

// Below 2^-8 no reduction and no table: the series of sin x - x,
// cos x - 1 and tan x - x alone, each well below 2^-16 of the result, so
// that their rounding errors stay near 2^-69.
inline DoubleDouble small_trig(Trig function, double x) {
    if (function == Trig::cosine) return small_cosine(x);
    double x2 = x * x;
    double rest = function == Trig::sine
                      ? x * x2 * (-1.0 / 6 + x2 * (1.0 / 120 - x2 * (1.0 / 5040)))
                      : x * x2 * (1.0 / 3 + x2 * (2.0 / 15 + x2 * (17.0 / 315 + x2 * (62.0 / 2835))));
    return fast_two_sum(x, rest);
}

inline FastResult table_trig(Trig function, double x) {
    DoubleDouble r;
    int quadrant = reduce(x, &r);
    TablePoint p = table_point(r);
    DoubleDouble y;
    double error = sin_cos_error;
    if (function == Trig::tangent) {
        DoubleDouble s = sin_at(p), c = cos_at(p);
        DoubleDouble numerator = quadrant & 1 ? negate(c) : s;
        DoubleDouble denominator = quadrant & 1 ? s : c;
        double q = numerator.hi / denominator.hi;
        DoubleDouble product = two_product(q, denominator.hi);
        double remainder = (numerator.hi - product.hi) - product.lo + numerator.lo - q * denominator.lo;
        y = fast_two_sum(q, remainder / denominator.hi);
        error = tan_error;
    } else {
        // sin(k pi/2 + r) and cos(k pi/2 + r) by quadrant.
        int shifted = quadrant + (function == Trig::cosine ? 1 : 0);
        y = shifted & 1 ? cos_at(p) : sin_at(p);
        if (shifted & 2) y = negate(y);
    }
    return {y, error};
}

// The three trigonometric functions share their guards.
double trig(Trig function, double x) {
    double ax = std::fabs(x);
    if (x != x) return x;
    if (ax == std::numeric_limits<double>::infinity()) return not_a_number();
    // Below these sin x and tan x round to x, cos x to 1.
    if (ax < 0x1p-27) return function == Trig::cosine ? 1.0 : x;
    if (ax > fast_limit) return slow_trig(function, x);
    FastResult fast = ax < 0x1p-8 ? FastResult{small_trig(function, x), sin_cos_error} : table_trig(function, x);
    double result;
    if (round_safely(fast.value, fast.relative_error, &result)) return result;
    return slow_trig(function, x);
}

}  // namespace

FastResult fast_trig(Trig function, double x) {
    if (std::fabs(x) < 0x1p-8) return {small_trig(function, x), sin_cos_error};
    return table_trig(function, x);
}

namespace {

// sin x and cos x in double-double, for 2^-27 <= |x| <= 32.
[[gnu::always_inline]] inline void sin_cos_estimate(double x, DoubleDouble* sine, DoubleDouble* cosine) {
    double ax = std::fabs(x);
    DoubleDouble y_sin, y_cos;
    if (ax <= complement_limit) {
        // Latitudes: up to pi/4 from |x| itself; beyond, from r = pi/2 - |x|
        // with sin x = cos r and cos x = sin r. pi/2 - |x| is exact for the
        // double pi/2 (the two are within a factor two), and its low part
        // adds the rest of pi/2 up to 2^-107: below 2^-76 of sin r for
        // r >= 2^-30, far below the error bound. The sum is normalized, as
        // the reduction's is: the evaluation takes the low part to first
        // order only.
        bool complement = ax > quarter_pi;
        DoubleDouble r = complement ? fast_two_sum(pi_over_2[0] - ax, pi_over_2[1]) : DoubleDouble{ax, 0.0};
        DoubleDouble s, c;
        split_sin_cos(r, &s, &c);
        y_sin = complement ? c : s;
        y_cos = complement ? s : c;
        if (x < 0) y_sin = negate(y_sin);
    } else {
        DoubleDouble r;
        int quadrant = reduce(x, &r);
        TablePoint p = table_point(r);
        DoubleDouble s = sin_at(p), c = cos_at(p);
        // sin(k pi/2 + r), cos(k pi/2 + r) from sin r, cos r by quadrant.
        y_sin = quadrant & 1 ? c : s;
        y_cos = quadrant & 1 ? negate(s) : c;
        if (quadrant & 2) {
            y_sin = negate(y_sin);
            y_cos = negate(y_cos);
        }
    }
    *sine = y_sin;
    *cosine = y_cos;
}

}  // namespace

void fast_sin_cos(double x, FastResult* sine, FastResult* cosine) {
    DoubleDouble y_sin, y_cos;
    sin_cos_estimate(x, &y_sin, &y_cos);
    *sine = {y_sin, sin_cos_error};
    *cosine = {y_cos, sin_cos_error};
}

void cr_sin_cos(double x, double* sine, double* cosine) {
    double ax = std::fabs(x);
    if (x != x || ax < 0x1p-27 || ax > fast_limit) {
        *sine = cr_sin(x);
        *cosine = cr_cos(x);
        return;
    }
    DoubleDouble y_sin, y_cos;
    sin_cos_estimate(x, &y_sin, &y_cos);
    if (!round_safely(y_sin, sin_cos_error, sine)) *sine = slow_trig(Trig::sine, x);
    if (!round_safely(y_cos, sin_cos_error, cosine)) *cosine = slow_trig(Trig::cosine, x);
}

double cr_sin(double x) { return trig(Trig::sine, x); }
double cr_cos(double x) { return trig(Trig::cosine, x); }
double cr_tan(double x) { return trig(Trig::tangent, x); }

// acos x = pi/2 - asin x for |x| <= 1/2; beyond, with z = (1 - |x|)/2
// (exact), acos x = 2 asin sqrt(z) for x > 0 and pi - 2 asin sqrt(z) for
// x < 0.
namespace {

inline FastResult acos_estimate(double x) {
    double ax = std::fabs(x);
    DoubleDouble y;
    if (ax <= 0.5) {
        DoubleDouble a = asin_near(ax, 0.0);
        if (x < 0) a = negate(a);
        DoubleDouble head = two_sum(pi_over_2[0], -a.hi);
        y = fast_two_sum(head.hi, head.lo + pi_over_2[1] - a.lo);
    } else {
        DoubleDouble root = sqrt_of((1.0 - ax) * 0.5);
        DoubleDouble a = asin_near(root.hi, root.lo);
        if (x > 0) {
            y = {2.0 * a.hi, 2.0 * a.lo};
        } else {
            DoubleDouble head = two_sum(pi[0], -2.0 * a.hi);
            y = fast_two_sum(head.hi, head.lo + pi[1] - 2.0 * a.lo);
        }
    }
    return {y, acos_error};
}

}  // namespace

FastResult fast_acos(double x) { return acos_estimate(x); }

AcosMargins acos_margins = {0x1p-50, 0x1p-45};


double cr_acos(double x) {
    if (!(std::fabs(x) <= 1.0)) return x != x ? x : not_a_number();
    FastResult fast = acos_estimate(x);
    double result;
    if (round_safely(fast.value, fast.relative_error, &result)) return result;
    return slow_acos(x, fast.value.hi + fast.value.lo);
}

}  // namespace core
