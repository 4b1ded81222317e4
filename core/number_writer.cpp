// The digits come from {fmt} in header-only mode: its fixed notation is
// the exact decimal expansion of the binary value, rounded half to even as
// glibc rounds it, and its shortest form is the shortest text that reads
// back exactly. It is the same code on every system and knows no locale.
// The padding, the spelling of infinities and NaN and the choice between
// fixed and exponent notation for the shortest form are done here.
#include "core/number_writer.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/wide_integer.h"

#define FMT_HEADER_ONLY
#include <fmt/format.h>

// The texts were checked against glibc with this major version.
static_assert(FMT_VERSION / 10000 == 9, "number text checked with {fmt} 9");

namespace core {

namespace {

// Moves the length characters at out right to fill width, padding on the
// left with fill after the first skip characters (a sign kept in front of
// zeros). Returns the new length.
int pad_left(char* out, int length, int width, char fill, int skip) {
    if (length >= width) return length;
    int padding = width - length;
    std::memmove(out + skip + padding, out + skip, length - skip);
    std::memset(out + skip, fill, padding);
    return width;
}

// "inf", "-inf", "nan" or "-nan" for a value that is not finite.
int write_special(char* out, double value) {
    const char* word = std::isnan(value) ? "nan" : "inf";
    int length = 0;
    if (std::signbit(value)) out[length++] = '-';
    std::memcpy(out + length, word, 3);
    return length + 3;
}

constexpr uint64_t powers_of_ten[] = {1,
                                      10,
                                      100,
                                      1000,
                                      10000,
                                      100000,
                                      1000000,
                                      10000000,
                                      100000000,
                                      1000000000,
                                      10000000000,
                                      100000000000,
                                      1000000000000,
                                      10000000000000,
                                      100000000000000,
                                      1000000000000000,
                                      10000000000000000,
                                      100000000000000000};

// Writes the digits of value, at least count of them (zeros in front).
int write_digits(char* out, uint64_t value, int count) {
    char digits[integer_text_size];
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || length < count);
    for (int i = 0; i < length; ++i) out[i] = digits[length - 1 - i];
    return length;
}

// The fixed notation of the numbers the programs print most (coordinates,
// lengths): value = m * 2^e is scaled to m * 10^precision * 2^e, exactly
// in 128 bits, and rounded half to even to an integer, which is the
// decimal expansion rounded as glibc rounds it. Returns the length, or -1
// for a value that needs more than 64 bits of scaled digits (or a
// precision above 17); {fmt} writes those.
int format_fixed_fast(char* out, double value, int precision) {
    if (precision > 17) return -1;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int biased = static_cast<int>(bits >> 52 & 0x7ff);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
    if (biased != 0) mantissa |= uint64_t{1} << 52;
    int exponent = (biased != 0 ? biased : 1) - 1075;
    uint64_t scaled;
    if (exponent >= 0) {
        // An integer: its digits, then zeros.
        if (exponent > 10) return -1;
        uint64_t whole = mantissa << exponent;
        int length = 0;
        if (bits >> 63) out[length++] = '-';
        length += write_digits(out + length, whole, 1);
        if (precision > 0) {
            out[length++] = '.';
            std::memset(out + length, '0', precision);
            length += precision;
        }
        return length;
    }
    int shift = -exponent;
    core::Product128 product = core::multiply_64(mantissa, powers_of_ten[precision]);
    if (shift > 110) {
        // The product is below 2^110, so the value is under one half.
        scaled = 0;
    } else {
        // quotient = product >> shift; the remainder against one half.
        uint64_t quotient_high, quotient_low, rest_high, rest_low, half_high, half_low;
        if (shift < 64) {
            quotient_high = product.high >> shift;
            quotient_low = (product.low >> shift) | product.high << (64 - shift);
            rest_high = 0;
            rest_low = product.low & ((uint64_t{1} << shift) - 1);
            half_high = 0;
            half_low = uint64_t{1} << (shift - 1);
        } else {
            int over = shift - 64;
            quotient_high = 0;
            quotient_low = over == 0 ? product.high : product.high >> over;
            rest_high = over == 0 ? 0 : product.high & ((uint64_t{1} << over) - 1);
            rest_low = product.low;
            half_high = over == 0 ? 0 : uint64_t{1} << (over - 1);
            half_low = over == 0 ? uint64_t{1} << 63 : 0;
        }
        if (quotient_high != 0) return -1;
        bool above = rest_high > half_high || (rest_high == half_high && rest_low > half_low);
        bool tie = rest_high == half_high && rest_low == half_low;
        scaled = quotient_low;
        if (above || (tie && (scaled & 1) != 0)) {
            if (scaled == UINT64_MAX) return -1;
            ++scaled;
        }
    }
    uint64_t unit = powers_of_ten[precision];
    int length = 0;
    if (bits >> 63) out[length++] = '-';
    length += write_digits(out + length, scaled / unit, 1);
    if (precision > 0) {
        out[length++] = '.';
        length += write_digits(out + length, scaled % unit, precision);
    }
    return length;
}

}  // namespace

int format_fixed(char* out, double value, int precision, int width) {
    int length;
    if (!std::isfinite(value)) {
        length = write_special(out, value);
    } else {
        length = format_fixed_fast(out, value, precision);
        if (length < 0) {
            auto result = fmt::format_to_n(out, fixed_text_size, "{:.{}f}", value, precision);
            length = static_cast<int>(result.size);
        }
    }
    return pad_left(out, length, width, ' ', 0);
}

int format_integer(char* out, long long value, int width, bool zero_fill) {
    char digits[integer_text_size];
    int count = 0;
    unsigned long long magnitude =
        value < 0 ? 0 - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int length = 0;
    if (value < 0) out[length++] = '-';
    while (count > 0) out[length++] = digits[--count];
    return pad_left(out, length, width, zero_fill ? '0' : ' ', zero_fill && value < 0 ? 1 : 0);
}

// The shortest digits, as {fmt} finds them, are written in whichever of
// the fixed ("0.0001", "120") and the exponent ("1e-04", "1.2e+20")
// notations is shorter, the fixed one when both are as long.
int format_shortest(char* out, double value) {
    if (!std::isfinite(value)) return write_special(out, value);
    char text[shortest_text_size];
    auto result = fmt::format_to_n(text, sizeof text, "{}", value);
    text[result.size] = 0;
    // text is "[-]ddd[.ddd][e(+|-)xx]" in either notation: its significant
    // digits without the point, and the power of ten of the first.
    char digits[integer_text_size];
    int count = 0, point = -1, position = 0;
    bool negative = text[0] == '-';
    if (negative) ++position;
    int leading_zeros = 0;
    for (; text[position] != 0 && text[position] != 'e'; ++position) {
        if (text[position] == '.') {
            point = count + leading_zeros;
        } else if (count == 0 && text[position] == '0') {
            ++leading_zeros;
        } else {
            digits[count++] = text[position];
        }
    }
    if (point < 0) point = count + leading_zeros;
    int exponent = point - leading_zeros - 1;
    if (text[position] == 'e') {
        bool negative_exponent = text[position + 1] == '-';
        int power = 0;
        for (position += 2; text[position] != 0; ++position) power = power * 10 + (text[position] - '0');
        exponent += negative_exponent ? -power : power;
    }
    if (count == 0) {  // zero
        digits[count++] = '0';
        exponent = 0;
    }
    while (count > 1 && digits[count - 1] == '0') --count;

    int length = 0;
    if (negative) out[length++] = '-';
    // Fixed: the digits with zeros before or after them.
    int fixed_length = exponent >= 0 ? (count > exponent + 1 ? count + 1 : exponent + 1)
                                     : 1 + 1 + (-exponent - 1) + count;
    int exponent_digits = std::abs(exponent) >= 100 ? 3 : 2;
    int scientific_length = count + (count > 1 ? 1 : 0) + 2 + exponent_digits;
    if (fixed_length <= scientific_length) {
        if (exponent >= 0) {
            for (int i = 0; i <= exponent || i < count; ++i) {
                if (i == exponent + 1) out[length++] = '.';
                out[length++] = i < count ? digits[i] : '0';
            }
        } else {
            out[length++] = '0';
            out[length++] = '.';
            for (int i = 1; i < -exponent; ++i) out[length++] = '0';
            for (int i = 0; i < count; ++i) out[length++] = digits[i];
        }
        return length;
    }
    out[length++] = digits[0];
    if (count > 1) {
        out[length++] = '.';
        for (int i = 1; i < count; ++i) out[length++] = digits[i];
    }
    out[length++] = 'e';
    out[length++] = exponent < 0 ? '-' : '+';
    return length + format_integer(out + length, std::abs(exponent), 2, true);
}

}  // namespace core
