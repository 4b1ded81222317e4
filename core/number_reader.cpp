// Numbers are read with the grammar of strtod in the "C" locale. The
// digits of a decimal number go to fast_float, a header-only converter
// that rounds correctly, knows no locale and is the same code on every
// system; hexadecimal numbers are exact in binary and are rounded here.
// The wrapper adds what the converter leaves out: blanks, a '+', the "0x"
// prefix, infinities and NaN payloads.
//
// A plain decimal of at most 19 digits takes a faster road: an integer
// mantissa and a power of ten; when the mantissa is at most 2^53 and the
// power at most 10^22 both are exact doubles, so one IEEE division gives
// the correctly rounded value.
#include "core/number_reader.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include <fast_float/fast_float.h>

namespace core {

namespace {

constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t exact_mantissa_limit = uint64_t{1} << 53;
constexpr int max_digits = 19;
constexpr uint64_t nan_payload_mask = (uint64_t{1} << 51) - 1;
constexpr uint64_t quiet_nan_bits = 0x7ff8000000000000;

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int digit_value(char c) {
    if (is_digit(c)) return c - '0';
    if (lower(c) >= 'a' && lower(c) <= 'z') return lower(c) - 'a' + 10;
    return 99;
}

// True when text begins with word, ignoring the letter case of text.
bool starts_with_word(const char* text, const char* word) {
    for (; *word != 0; ++text, ++word)
        if (lower(*text) != *word) return false;
    return true;
}

double from_bits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Reads an unsigned integer as strtoull with base 0 does (a "0x" prefix
// for hexadecimal, a leading 0 for octal, saturating on overflow); true
// when it takes every character from text up to end.
bool read_whole_unsigned(const char* text, const char* end, uint64_t* value) {
    int base = 10;
    if (text[0] == '0' && lower(text[1]) == 'x' && text + 2 < end && digit_value(text[2]) < 16) {
        base = 16;
        text += 2;
    } else if (text[0] == '0') {
        base = 8;
    }
    if (text == end) return false;
    uint64_t result = 0;
    for (; text < end; ++text) {
        int digit = digit_value(*text);
        if (digit >= base) return false;
        if (result > (std::numeric_limits<uint64_t>::max() - digit) / base)
            result = std::numeric_limits<uint64_t>::max();
        else
            result = result * base + digit;
    }
    *value = result;
    return true;
}

// "nan", "nan(...)": a quiet NaN whose low mantissa bits carry the number
// inside the parentheses, when the whole of it reads as one.
double read_nan(const char* text) {
    uint64_t bits = quiet_nan_bits;
    if (*text != '(') return from_bits(bits);
    const char* start = text + 1;
    const char* end = start;
    while (digit_value(*end) < 36 || *end == '_') ++end;
    uint64_t payload;
    if (*end == ')' && read_whole_unsigned(start, end, &payload)) bits |= payload & nan_payload_mask;
    return from_bits(bits);
}

// The end of the unsigned decimal or (after "0x") hexadecimal number that
// begins at text, as strtod takes it: digits with at most one point, then
// an exponent only when a sign-optional digit follows the 'e' or 'p'.
// The converter is given exactly that much, so that its own reading of
// doubtful exponents ("e+-3") never matters.
const char* number_end(const char* text, bool hexadecimal) {
    int radix = hexadecimal ? 16 : 10;
    const char* c = text;
    while (digit_value(*c) < radix) ++c;
    if (*c == '.')
        for (++c; digit_value(*c) < radix; ++c) {
        }
    if (lower(*c) == (hexadecimal ? 'p' : 'e')) {
        const char* exponent = c + 1;
        if (*exponent == '+' || *exponent == '-') ++exponent;
        if (is_digit(*exponent)) {
            c = exponent;
            while (is_digit(*c)) ++c;
        }
    }
    return c;
}

// The double nearest to mantissa * 2^exponent, ties to even, where
// sticky says that non-zero digits beyond the mantissa were dropped:
// subnormal results and overflow to infinity included.
double round_binary(uint64_t mantissa, long long exponent, bool sticky) {
    if (mantissa == 0) return 0.0;
    int leading = std::countl_zero(mantissa);
    mantissa <<= leading;
    exponent -= leading;
    // The value is now in [2^top, 2^(top + 1)).
    long long top = exponent + 63;
    if (top > 1023) return std::numeric_limits<double>::infinity();
    // Bits dropped from the 64: 11 for a normal double, more below 2^-1022.
    long long shift = top >= -1022 ? 11 : 11 + (-1022 - top);
    if (shift > 64) return 0.0;  // below half the smallest subnormal
    uint64_t kept = shift == 64 ? 0 : mantissa >> shift;
    uint64_t rest = shift == 64 ? mantissa : mantissa << (64 - shift);
    uint64_t half = uint64_t{1} << 63;
    if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) ++kept;
    // A carry out of the mantissa moves the value into the next binade,
    // and past the largest double into the bits of infinity.
    uint64_t bits = top >= -1022 ? (static_cast<uint64_t>(top + 1022) << 52) + kept : kept;
    return from_bits(bits);
}

// The value of the unsigned hexadecimal number after "0x" at text: the
// first 16 significant digits make the mantissa, later ones only tell
// whether anything non-zero was dropped.
double read_hexadecimal(const char* text) {
    const char* end = number_end(text, true);
    uint64_t mantissa = 0;
    long long exponent = 0;
    int significant = 0;
    bool sticky = false, after_point = false;
    const char* c = text;
    for (; c < end; ++c) {
        if (*c == '.') {
            after_point = true;
            continue;
        }
        int digit = digit_value(*c);
        if (digit >= 16) break;
        if (significant == 0 && digit == 0) {
            if (after_point) exponent -= 4;
            continue;
        }
        if (significant < 16) {
            mantissa = mantissa * 16 + static_cast<uint64_t>(digit);
            ++significant;
            if (after_point) exponent -= 4;
        } else {
            sticky = sticky || digit != 0;
            if (!after_point) exponent += 4;
        }
    }
    if (c < end && lower(*c) == 'p') {
        ++c;
        bool negative = *c == '-';
        if (*c == '+' || *c == '-') ++c;
        long long power = 0;
        for (; c < end; ++c)
            if (power < 1000000000) power = power * 10 + (*c - '0');
        exponent += negative ? -power : power;
    }
    return round_binary(mantissa, exponent, sticky);
}

// The value of the unsigned decimal number at text; 0 when none begins
// there. Past the largest double the converter gives infinity, below half
// the smallest subnormal zero.
double read_decimal(const char* text) {
    const char* end = number_end(text, false);
    double value = 0.0;
    fast_float::from_chars_result result = fast_float::from_chars(text, end, value);
    if (result.ec != std::errc()) return 0.0;
    return value;
}

double read_any_number(const char* text) {
    const char* c = text;
    while (is_space(*c)) ++c;
    bool negative = *c == '-';
    if (*c == '-' || *c == '+') ++c;
    double value = 0.0;
    if (starts_with_word(c, "inf")) {
        value = std::numeric_limits<double>::infinity();
    } else if (starts_with_word(c, "nan")) {
        value = read_nan(c + 3);
    } else if (c[0] == '0' && lower(c[1]) == 'x' &&
               (digit_value(c[2]) < 16 || (c[2] == '.' && digit_value(c[3]) < 16))) {
        value = read_hexadecimal(c + 2);
    } else if (is_digit(*c) || (*c == '.' && is_digit(c[1]))) {
        value = read_decimal(c);
    } else {
        return 0.0;  // no number at all
    }
    return negative ? -value : value;
}

}  // namespace

double read_number(const char* text) {
    const char* c = text;
    while (is_space(*c)) ++c;
    bool negative = *c == '-';
    if (*c == '-' || *c == '+') ++c;
    uint64_t mantissa = 0;
    int digits = 0, fraction_digits = 0;
    for (; is_digit(*c); ++c, ++digits) mantissa = mantissa * 10 + (*c - '0');
    if (*c == '.') {
        for (++c; is_digit(*c); ++c, ++digits, ++fraction_digits)
            mantissa = mantissa * 10 + (*c - '0');
    }
    // Exponents, hexadecimal, infinities, NaN, long and digit-less numbers
    // take the general road.
    bool plain = digits > 0 && digits <= max_digits && *c != 'e' && *c != 'E' && *c != 'x' &&
                 *c != 'X' && mantissa <= exact_mantissa_limit;
    if (!plain) return read_any_number(text);
    double value = static_cast<double>(mantissa) / powers_of_ten[fraction_digits];
    return negative ? -value : value;
}

}  // namespace core
