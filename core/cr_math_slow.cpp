// Fixed point with one 64-bit integer limb and L - 1 fraction limbs: the
// argument reduced by the bits of 2/pi (any magnitude), the Taylor series
// of sine and cosine summed to the last bit, the quotient and the arc
// cosine's Newton steps by reciprocals. Every operation truncates. The
// result is rounded with a bound on its error; with 192 fraction bits
// that decides all but about 2^-47 of the arguments that come here, and
// those are done again with 320.
#include "core/cr_math_slow.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/cr_math_tables.h"
#include "core/wide_integer.h"

namespace core {

bool slow_rounding_undecided = false;

namespace {

constexpr int table_limbs = 6;  // of the pi/2 table, and of the reduction

template <int L>
struct Wide {  // a non-negative value, limb[0] least significant, limb[L-1] the integer part
    uint64_t limb[L];
};

template <int L>
struct Signed {
    Wide<L> magnitude;
    bool negative;
};

template <int L>
bool is_zero(const Wide<L>& a) {
    for (uint64_t l : a.limb)
        if (l != 0) return false;
    return true;
}

template <int L>
int compare(const Wide<L>& a, const Wide<L>& b) {
    for (int i = L - 1; i >= 0; --i)
        if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
    return 0;
}

template <int L>
Wide<L> add(const Wide<L>& a, const Wide<L>& b) {
    Wide<L> sum;
    uint64_t carry = 0;
    for (int i = 0; i < L; ++i) {
        uint64_t part = a.limb[i] + carry;
        carry = part < carry ? 1 : 0;
        sum.limb[i] = part + b.limb[i];
        if (sum.limb[i] < part) carry = 1;
    }
    return sum;
}

template <int L>
Wide<L> subtract(const Wide<L>& a, const Wide<L>& b) {  // a >= b
    Wide<L> difference;
    uint64_t borrow = 0;
    for (int i = 0; i < L; ++i) {
        uint64_t part = a.limb[i] - borrow;
        borrow = a.limb[i] < borrow ? 1 : 0;
        difference.limb[i] = part - b.limb[i];
        if (part < b.limb[i]) borrow = 1;
    }
    return difference;
}

template <int L>
Signed<L> add(const Signed<L>& a, const Signed<L>& b) {
    if (a.negative == b.negative) return {add(a.magnitude, b.magnitude), a.negative};
    if (compare(a.magnitude, b.magnitude) >= 0) return {subtract(a.magnitude, b.magnitude), a.negative};
    return {subtract(b.magnitude, a.magnitude), b.negative};
}

template <int L>
Signed<L> negate(Signed<L> a) {
    a.negative = !a.negative;
    return a;
}

// a * b, truncated; the product must stay below 2^64.
template <int L>
Wide<L> multiply(const Wide<L>& a, const Wide<L>& b) {
    uint64_t product[2 * L + 1] = {};
    for (int i = 0; i < L; ++i) {
        if (a.limb[i] == 0) continue;
        uint64_t carry = 0;
        for (int j = 0; j < L; ++j) {
            Product128 p = multiply_64(a.limb[i], b.limb[j]);
            uint64_t sum = product[i + j] + p.low;
            uint64_t high = p.high + (sum < p.low ? 1 : 0);
            sum += carry;
            high += sum < carry ? 1 : 0;
            product[i + j] = sum;
            carry = high;
        }
        for (int k = i + L; carry != 0; ++k) {
            product[k] += carry;
            carry = product[k] < carry ? 1 : 0;
        }
    }
    Wide<L> result;
    std::memcpy(result.limb, product + L - 1, sizeof result.limb);
    return result;
}

// a / divisor for a divisor below 2^32, truncated.
template <int L>
Wide<L> divide(const Wide<L>& a, uint64_t divisor) {
    Wide<L> quotient;
    uint64_t remainder = 0;
    for (int i = L - 1; i >= 0; --i) {
        uint64_t high = (remainder << 32) | (a.limb[i] >> 32);
        uint64_t q_high = high / divisor;
        remainder = high % divisor;
        uint64_t low = (remainder << 32) | (a.limb[i] & 0xffffffff);
        quotient.limb[i] = q_high << 32 | low / divisor;
        remainder = low % divisor;
    }
    return quotient;
}

template <int L>
Wide<L> shift_left(const Wide<L>& a, int count) {  // 0 <= count < 64
    if (count == 0) return a;
    Wide<L> result;
    for (int i = L - 1; i > 0; --i) result.limb[i] = a.limb[i] << count | a.limb[i - 1] >> (64 - count);
    result.limb[0] = a.limb[0] << count;
    return result;
}

template <int L>
Wide<L> shift_right(const Wide<L>& a, int count) {  // 0 <= count
    Wide<L> result = {};
    int whole = count / 64, bits = count % 64;
    for (int i = 0; i + whole < L; ++i) {
        uint64_t part = a.limb[i + whole] >> bits;
        if (bits != 0 && i + whole + 1 < L) part |= a.limb[i + whole + 1] << (64 - bits);
        result.limb[i] = part;
    }
    return result;
}

template <int L>
Wide<L> one() {
    Wide<L> a = {};
    a.limb[L - 1] = 1;
    return a;
}

// The top L limbs of a longer value (fewer fraction bits, truncated).
template <int L, int M>
Wide<L> narrow(const Wide<M>& a) {
    Wide<L> result;
    std::memcpy(result.limb, a.limb + (M - L), sizeof result.limb);
    return result;
}

Wide<table_limbs> pi_over_2() {
    Wide<table_limbs> a;
    for (int i = 0; i < table_limbs; ++i) a.limb[i] = cr_math_tables::wide_pi_over_2[table_limbs - 1 - i];
    return a;
}

// A positive finite double as m * 2^e with m an integer below 2^53.
void split_double(double x, uint64_t* m, int* e) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    int biased = static_cast<int>(bits >> 52 & 0x7ff);
    *m = bits & ((uint64_t{1} << 52) - 1);
    *e = -1074;
    if (biased != 0) {
        *m |= uint64_t{1} << 52;
        *e = biased - 1075;
    }
}

// m * 2^e for 0 < m <= 2^53, a normal result, exactly.
double join_double(uint64_t m, int e) {
    while (m >= uint64_t{1} << 53) {
        m >>= 1;
        ++e;
    }
    while (m < uint64_t{1} << 52) {
        m <<= 1;
        --e;
    }
    uint64_t bits = static_cast<uint64_t>(e + 1075) << 52 | (m & ((uint64_t{1} << 52) - 1));
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// |x| exactly, for a finite double of at least 2^-(64 (L - 1) - 53).
template <int L>
Wide<L> from_double(double x) {
    uint64_t m;
    int e;
    split_double(std::fabs(x), &m, &e);
    Wide<L> a = {};
    a.limb[0] = m;
    int position = 64 * (L - 1) + e;  // where bit 0 of m goes
    if (position < 0) return shift_right(a, -position);
    for (; position >= 64; position -= 64) {
        for (int i = L - 1; i > 0; --i) a.limb[i] = a.limb[i - 1];
        a.limb[0] = 0;
    }
    return shift_left(a, position);
}

// An approximation of a, for starting values only.
template <int L>
double to_double(const Wide<L>& a) {
    double value = 0.0, scale = 1.0;
    for (int i = L - 1; i >= 0; --i, scale *= 0x1p-64) value += static_cast<double>(a.limb[i]) * scale;
    return value;
}

// The double nearest to a (a normal double, or 0).
template <int L>
double round_to_double(const Wide<L>& a) {
    int top = L - 1;
    while (top >= 0 && a.limb[top] == 0) --top;
    if (top < 0) return 0.0;
    int bit = 64 * top + 63;  // of the leading one, from bit 0 of limb[0]
    while ((a.limb[top] >> (bit % 64) & 1) == 0) --bit;
    auto bit_at = [&](int index) -> uint64_t { return index < 0 ? 0 : a.limb[index / 64] >> (index % 64) & 1; };
    uint64_t mantissa = 0;
    for (int i = 0; i < 53; ++i) mantissa = mantissa << 1 | bit_at(bit - i);
    bool sticky = false;
    for (int i = bit - 54; i >= 0 && !sticky; --i) sticky = bit_at(i) != 0;
    if (bit_at(bit - 53) != 0 && (sticky || (mantissa & 1) != 0)) ++mantissa;
    return join_double(mantissa, bit - 52 - 64 * (L - 1));
}

// The nearest double to v when every value within error of it has the
// same nearest double; false otherwise.
template <int L>
bool round_checked(const Signed<L>& v, const Wide<L>& error, double* result) {
    double nearest = round_to_double(v.magnitude);
    Wide<L> low = compare(v.magnitude, error) >= 0 ? subtract(v.magnitude, error) : Wide<L>{};
    if (round_to_double(low) != nearest || round_to_double(add(v.magnitude, error)) != nearest) return false;
    *result = v.negative ? -nearest : nearest;
    return true;
}

// A bound on the error of a result v: |v| * 2^-(relative) + 2^-(absolute).
template <int L>
Wide<L> error_bound(const Wide<L>& v, int relative, int absolute) {
    Wide<L> e = shift_right(v, relative);
    Wide<L> unit = shift_right(one<L>(), absolute);
    return add(e, unit);
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

// 1/a for 2^-70 < a < 2^62, by Newton's iteration z = z + z (1 - a z)
// from the double reciprocal.
template <int L>
Wide<L> reciprocal(const Wide<L>& a) {
    Wide<L> z = from_double<L>(1.0 / to_double(a));
    for (int precision = 50; precision < 64 * L; precision *= 2) {
        Wide<L> product = multiply(a, z), unit = one<L>();
        if (compare(product, unit) <= 0) z = add(z, multiply(z, subtract(unit, product)));
        else z = subtract(z, multiply(z, subtract(product, unit)));
    }
    return z;
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
