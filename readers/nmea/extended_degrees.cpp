// A value here is sign * mantissa * 2^exponent with a 64-bit mantissa whose
// top bit is set, as in the extended format; the exponent range of that
// format is never approached by these inputs. Intermediate results keep
// 128 bits, the bits shifted out below them folded into the lowest one
// ("sticky"), which is enough for a correct rounding.
#include "readers/nmea/extended_degrees.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/wide_integer.h"

namespace nmea {

namespace {

struct Wide {  // 128 bits
    uint64_t high;
    uint64_t low;
};

struct Extended {
    bool negative;
    uint64_t mantissa;  // top bit set
    int exponent;       // value = mantissa * 2^exponent
};

// 1/60 to 64 bits: 2^69 / 60 = 9838263505978427528.53..., rounded up.
constexpr Extended one_sixtieth = {false, 0x8888888888888889, -69};

Wide multiply(uint64_t a, uint64_t b) {
    core::Product128 product = core::multiply_64(a, b);
    return {product.high, product.low};
}

// Shifts right by count bits, folding what falls out into the lowest bit.
Wide shift_right_sticky(Wide value, int count) {
    if (count == 0) return value;
    if (count >= 128) return {0, (value.high | value.low) != 0 ? 1u : 0u};
    uint64_t lost;
    Wide result;
    if (count >= 64) {
        lost = value.low | (count > 64 ? value.high << (128 - count) : 0);
        result = {0, value.high >> (count - 64)};
    } else {
        lost = value.low << (64 - count);
        result = {value.high >> count, (value.low >> count) | (value.high << (64 - count))};
    }
    if (lost != 0) result.low |= 1;
    return result;
}

Wide shift_left(Wide value, int count) {
    if (count == 0) return value;
    if (count >= 64) return {value.low << (count - 64), 0};
    return {(value.high << count) | (value.low >> (64 - count)), value.low << count};
}

int leading_zeros(Wide value) {
    return value.high != 0 ? std::countl_zero(value.high) : 64 + std::countl_zero(value.low);
}

// Rounds a non-zero 128-bit magnitude times 2^exponent to a 64-bit
// mantissa, to nearest with ties to even.
Extended round_to_extended(bool negative, Wide value, int exponent) {
    int shift = leading_zeros(value);
    value = shift_left(value, shift);
    exponent -= shift;
    uint64_t mantissa = value.high;
    constexpr uint64_t half = uint64_t{1} << 63;
    if (value.low > half || (value.low == half && (mantissa & 1) != 0)) {
        if (++mantissa == 0) {
            mantissa = half;
            ++exponent;
        }
    }
    return {negative, mantissa, exponent + 64};
}

// x + y rounded to a 64-bit mantissa. An exact zero sum, which has no
// normalised mantissa, is reported through *zero; it is +0.
Extended add(Extended x, Extended y, bool* zero) {
    bool x_larger = x.exponent > y.exponent ||
                    (x.exponent == y.exponent && x.mantissa >= y.mantissa);
    if (!x_larger) std::swap(x, y);
    Wide larger = {x.mantissa, 0};
    Wide smaller = shift_right_sticky({y.mantissa, 0}, x.exponent - y.exponent);
    Wide sum;
    int exponent = x.exponent - 64;
    if (x.negative == y.negative) {
        sum.low = larger.low + smaller.low;
        sum.high = larger.high + smaller.high + (sum.low < larger.low ? 1 : 0);
        if (sum.high < larger.high) {  // carried out of 128 bits
            sum = shift_right_sticky(sum, 1);
            sum.high |= uint64_t{1} << 63;
            ++exponent;
        }
    } else {
        sum.low = larger.low - smaller.low;
        sum.high = larger.high - smaller.high - (larger.low < smaller.low ? 1 : 0);
    }
    *zero = sum.high == 0 && sum.low == 0;
    if (*zero) return {false, 0, 0};
    return round_to_extended(x.negative, sum, exponent);
}

Extended multiply(Extended x, Extended y) {
    return round_to_extended(x.negative != y.negative, multiply(x.mantissa, y.mantissa),
                             x.exponent + y.exponent);
}

// A finite non-zero double, exactly.
Extended from_double(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int biased = static_cast<int>(bits >> 52 & 0x7ff);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
    int exponent = -1074;
    if (biased != 0) {
        mantissa |= uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    int shift = std::countl_zero(mantissa);
    return {(bits >> 63) != 0, mantissa << shift, exponent - shift};
}

Extended from_integer(int value) {
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    int shift = std::countl_zero(magnitude);
    return {value < 0, magnitude << shift, -shift};
}

// Rounds to double, to nearest with ties to even, subnormal results
// included.
double to_double(Extended value) {
    int top = value.exponent + 63;  // value lies in [2^top, 2^(top+1))
    int dropped = 11;               // bits below a double's 53
    if (top < -1022) dropped += -1022 - top;
    uint64_t mantissa;
    if (dropped >= 64) {
        mantissa = dropped == 64 && value.mantissa > (uint64_t{1} << 63) ? 1 : 0;
    } else {
        mantissa = value.mantissa >> dropped;
        uint64_t rest = value.mantissa & ((uint64_t{1} << dropped) - 1);
        uint64_t half = uint64_t{1} << (dropped - 1);
        if (rest > half || (rest == half && (mantissa & 1) != 0)) ++mantissa;
    }
    // A mantissa that rounded up to the next power of two carries into the
    // exponent field by itself, and so does a subnormal into the normals.
    uint64_t bits = top < -1022 ? mantissa : (static_cast<uint64_t>(top + 1022) << 52) + mantissa;
    if (value.negative) bits |= uint64_t{1} << 63;
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

}  // namespace

double degrees_from_minutes(int whole_degrees, double minutes) {
    if (!std::isfinite(minutes)) return minutes;
    if (minutes == 0.0) return static_cast<double>(whole_degrees);  // +0 when both are zero
    Extended product = multiply(from_double(minutes), one_sixtieth);
    if (whole_degrees == 0) return to_double(product);
    bool zero;
    Extended sum = add(from_integer(whole_degrees), product, &zero);
    return zero ? 0.0 : to_double(sum);
}

}  // namespace nmea
