// A plain decimal of at most 19 digits is an integer mantissa and a power
// of ten; when the mantissa is at most 2^53 and the power at most 10^22
// both are exact doubles, so one IEEE division (or multiplication) gives
// the correctly rounded value, the same as strtod's.
#include "core/number_reader.h"

#include <cstdint>
#include <cstdlib>

namespace core {

namespace {

constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t exact_mantissa_limit = uint64_t{1} << 53;
constexpr int max_digits = 19;

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

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
    // are the library's.
    bool plain = digits > 0 && digits <= max_digits && *c != 'e' && *c != 'E' && *c != 'x' &&
                 *c != 'X' && mantissa <= exact_mantissa_limit;
    if (!plain) return std::strtod(text, nullptr);
    double value = static_cast<double>(mantissa) / powers_of_ten[fraction_digits];
    return negative ? -value : value;
}

}  // namespace core
