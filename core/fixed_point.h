// Fixed point with one 64-bit integer limb and L - 1 fraction limbs, for
// the slow road of the correctly rounded functions: non-negative values
// (Wide) and signed ones (Signed), their sums, products, quotients and
// shifts, and the way in from a double and back out with a bound on the
// error. Every operation truncates.
#ifndef CORE_FIXED_POINT_H
#define CORE_FIXED_POINT_H

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/wide_integer.h"

namespace core::fixed_point {

template <int L>
struct Wide {  // a non-negative value, limb[0] least significant, limb[L-1] the integer part
    uint64_t limb[L];
};

template <int L>
struct Signed {
    Wide<L> magnitude;
    bool negative;
};

// Whether every limb of a is 0.
template <int L>
bool is_zero(const Wide<L>& a) {
    for (uint64_t l : a.limb)
        if (l != 0) return false;
    return true;
}

// -1, 0 or 1 as a is below, equal to or above b.
template <int L>
int compare(const Wide<L>& a, const Wide<L>& b) {
    for (int i = L - 1; i >= 0; --i)
        if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
    return 0;
}

// a + b; the sum must stay below 2^64.
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

// a - b.
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

// a + b with their signs; a zero difference keeps the sign of a.
template <int L>
Signed<L> add(const Signed<L>& a, const Signed<L>& b) {
    if (a.negative == b.negative) return {add(a.magnitude, b.magnitude), a.negative};
    if (compare(a.magnitude, b.magnitude) >= 0) return {subtract(a.magnitude, b.magnitude), a.negative};
    return {subtract(b.magnitude, a.magnitude), b.negative};
}

// -a.
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

// a * 2^count, the top bits dropped.
template <int L>
Wide<L> shift_left(const Wide<L>& a, int count) {  // 0 <= count < 64
    if (count == 0) return a;
    Wide<L> result;
    for (int i = L - 1; i > 0; --i) result.limb[i] = a.limb[i] << count | a.limb[i - 1] >> (64 - count);
    result.limb[0] = a.limb[0] << count;
    return result;
}

// a / 2^count, truncated.
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

// 1.
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

// A positive finite double as m * 2^e with m an integer below 2^53.
inline void split_double(double x, uint64_t* m, int* e) {
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
inline double join_double(uint64_t m, int e) {
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

}  // namespace core::fixed_point

#endif
