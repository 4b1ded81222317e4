// The slow road in the fixed point of core/fixed_point.h: the argument
// reduced by the bits of 2/pi (any magnitude), the Taylor series of sine
// and cosine summed to the last bit, the quotient and the arc cosine's
// Newton steps by reciprocals. The result is rounded with a bound on its
// error; with 192 fraction bits that decides all but about 2^-47 of the
// arguments that come here, and those are done again with 320.
#include "core/cr_math_slow.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/cr_math_tables.h"
#include "core/fixed_point.h"
#include "core/wide_integer.h"

namespace core {

bool slow_rounding_undecided = false;

namespace {

constexpr int table_limbs = 6;  // of the pi/2 table, and of the reduction

using namespace fixed_point;

Wide<table_limbs> pi_over_2() {
    Wide<table_limbs> a;
    for (int i = 0; i < table_limbs; ++i) a.limb[i] = cr_math_tables::wide_pi_over_2[table_limbs - 1 - i];
    return a;
}

// x * 2/pi modulo 4 for a finite positive double, from the bits of 2/pi
// that matter: with x = m 2^e, the bits whose products with m are
// multiples of 4 are skipped, and the 320 after them are taken; the
// error is below 2^-265.
Wide<table_limbs> times_two_over_pi_mod_4(double x) {
    constexpr int L = table_limbs;
    uint64_t m;
    int e;
    split_double(x, &m, &e);
    int first = e - 1 > 1 ? e - 1 : 1;  // index of the first bit of 2/pi used, from 1
    uint64_t window[L - 1];             // bits first .. first + 319, limb[0] lowest
    for (int n = 0; n < L - 1; ++n) {
        int start = first - 1 + 64 * n;
        int word = start / 64, shift = start % 64;
        uint64_t value = cr_math_tables::two_over_pi_bits[word] << shift;
        if (shift != 0) value |= cr_math_tables::two_over_pi_bits[word + 1] >> (64 - shift);
        window[L - 2 - n] = value;
    }
    Wide<L> product = {};
    uint64_t carry = 0;
    for (int i = 0; i < L - 1; ++i) {
        Product128 p = multiply_64(m, window[i]);
        product.limb[i] = p.low + carry;
        carry = p.high + (product.limb[i] < carry ? 1 : 0);
    }
    product.limb[L - 1] = carry;
    // The product is worth product * 2^(scale - 320).
    int scale = e - first + 1;
    if (scale < 0) return shift_right(product, -scale);
    Wide<L> y = shift_left(product, scale);  // scale is at most 2
    y.limb[L - 1] &= 3;
    return y;
}

// sin r or cos r, 0 <= r <= pi/4, by its Taylor series.
template <int L>
Wide<L> sin_or_cos(const Wide<L>& r, bool cosine) {
    Wide<L> r2 = multiply(r, r);
    Wide<L> term = cosine ? one<L>() : r, sum = term;
    for (uint64_t n = cosine ? 1 : 2; !is_zero(term); n += 2) {
        term = divide(multiply(term, r2), n * (n + 1));
        // The terms alternate, starting with a subtraction.
        bool subtracted = (n / 2) % 2 == (cosine ? 0u : 1u);
        sum = subtracted ? subtract(sum, term) : add(sum, term);
    }
    return sum;
}

// y = quadrant pi/2 + f pi/2, f in [-1/2, 1/2]: the function of y from
// the series at |f| pi/2.
template <int L>
Signed<L> trig_by_quadrant(Trig function, int quadrant, const Signed<L>& f) {
    Wide<L> r = multiply(f.magnitude, narrow<L>(pi_over_2()));
    bool odd = (quadrant & 1) != 0;
    if (function == Trig::tangent) {
        Wide<L> s = sin_or_cos(r, false), c = sin_or_cos(r, true);
        // tan y = tan r, or -cot r in the odd quadrants.
        return {odd ? multiply(c, reciprocal(s)) : multiply(s, reciprocal(c)), f.negative != odd};
    }
    // sin y by quadrant: sin r, cos r, -sin r, -cos r; cos y is sin of
    // the next quadrant.
    int shifted = quadrant + (function == Trig::cosine ? 1 : 0);
    bool take_cosine = (shifted & 1) != 0;
    bool negative = (shifted & 2) != 0;
    if (!take_cosine && f.negative) negative = !negative;
    return {sin_or_cos(r, take_cosine), negative};
}

// y (0 <= y < 4, in quarter turns) as the nearest quadrant and the rest
// in [-1/2, 1/2].
template <int L>
int split_quadrant(const Wide<L>& y, Signed<L>* rest) {
    Wide<L> half = {};
    half.limb[L - 2] = uint64_t{1} << 63;
    Wide<L> whole = {};
    whole.limb[L - 1] = add(y, half).limb[L - 1];
    if (compare(y, whole) >= 0) *rest = {subtract(y, whole), false};
    else *rest = {subtract(whole, y), true};
    return static_cast<int>(whole.limb[L - 1]);
}

template <int L>
bool trig_with(Trig function, double x, int relative, int absolute, double* result) {
    Wide<L> y = narrow<L>(times_two_over_pi_mod_4(std::fabs(x)));
    Signed<L> rest;
    int quadrant = split_quadrant(y, &rest);
    Signed<L> value = trig_by_quadrant(function, quadrant, rest);
    if (x < 0 && function != Trig::cosine) value = negate(value);
    return round_checked(value, error_bound(value.magnitude, relative, absolute), result);
}

// Newton's steps on cos y = x: y = y + (cos y - x) / sin y, from an
// estimate within 2^-60 of acos x; each step squares the relative error
// until the precision's floor.
template <int L>
bool acos_with(double x, double estimate, int steps, int relative, int absolute, double* result) {
    Wide<L> y = from_double<L>(estimate);
    Signed<L> target = {from_double<L>(x), x < 0};
    Wide<L> two_over_pi = reciprocal(narrow<L>(pi_over_2()));
    for (int step = 0; step < steps; ++step) {
        Signed<L> rest;
        int quadrant = split_quadrant(multiply(y, two_over_pi), &rest);
        Signed<L> sine = trig_by_quadrant(Trig::sine, quadrant, rest);
        Signed<L> cosine = trig_by_quadrant(Trig::cosine, quadrant, rest);
        Signed<L> difference = add(cosine, negate(target));
        Signed<L> correction = {multiply(difference.magnitude, reciprocal(sine.magnitude)),
                                difference.negative != sine.negative};
        y = add(Signed<L>{y, false}, correction).magnitude;
    }
    return round_checked(Signed<L>{y, false}, error_bound(y, relative, absolute), result);
}

}  // namespace

// First 4 limbs (192 fraction bits; the reduction, taken at 320, keeps
// 2^-186), bounded at 2^-100 relative plus 2^-170: enough for all but the
// hardest arguments. Then 6 limbs, bounded at 2^-240 plus 2^-300, which
// decides every double argument known.
double slow_trig(Trig function, double x) {
    double result;
    if (trig_with<4>(function, x, 100, 170, &result)) return result;
    if (trig_with<6>(function, x, 240, 300, &result)) return result;
    slow_rounding_undecided = true;
    return result;
}

double slow_acos(double x, double estimate) {
    double result;
    if (acos_with<4>(x, estimate, 2, 100, 170, &result)) return result;
    if (acos_with<6>(x, estimate, 3, 240, 300, &result)) return result;
    slow_rounding_undecided = true;
    return result;
}

}  // namespace core
