// std::to_chars gives the shortest exact digits of the fixed notation,
// rounded half to even from the binary value as glibc rounds them; the
// padding and the spelling of infinities and NaN are done here.
#include "core/number_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

}  // namespace

int format_fixed(char* out, double value, int precision, int width) {
    int length;
    if (std::isnan(value) || std::isinf(value)) {
        const char* word = std::isnan(value) ? "nan" : "inf";
        length = 0;
        if (std::signbit(value)) out[length++] = '-';
        std::memcpy(out + length, word, 3);
        length += 3;
    } else {
        std::to_chars_result result =
            std::to_chars(out, out + fixed_text_size, value, std::chars_format::fixed, precision);
        length = static_cast<int>(result.ptr - out);
    }
    return pad_left(out, length, width, ' ', 0);
}

int format_integer(char* out, long long value, int width, bool zero_fill) {
    char digits[24];
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

}  // namespace core

namespace core {

int format_shortest(char* out, double value) {
    if (std::isnan(value) || std::isinf(value)) return format_fixed(out, value, 0, 0);
    std::to_chars_result result = std::to_chars(out, out + shortest_text_size, value);
    return static_cast<int>(result.ptr - out);
}

}  // namespace core
