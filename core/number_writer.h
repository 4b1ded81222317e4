// Numbers written exactly as glibc's printf writes them with "%f", "%.Nf"
// and "%d", on every system and in every locale: correctly rounded from
// the exact binary value, ties to even, '.' as the decimal point.
#ifndef CORE_NUMBER_WRITER_H
#define CORE_NUMBER_WRITER_H

namespace core {

// Room for any double in fixed notation with up to 6 decimals (309
// integer digits of the largest), with its sign and padding.
inline constexpr int fixed_text_size = 340;

// Writes value as "%<width>.<precision>f" does into out (at least
// fixed_text_size bytes; precision at most 17, width at most 20), with no
// terminating zero, and returns the number of characters. Infinities and
// NaN are "inf", "-inf", "nan" and "-nan", NaN taking the sign of its
// sign bit.
int format_fixed(char* out, double value, int precision, int width);

// Room for any long long in "%d" with its sign, or padded to a width of
// at most 20.
inline constexpr int integer_text_size = 24;

// Writes value as "%<width>d" (or "%0<width>d" with zero_fill) does into
// out (at least integer_text_size bytes) with no terminating zero; returns
// the length.
int format_integer(char* out, long long value, int width, bool zero_fill);

// Room for the shortest form of any double.
inline constexpr int shortest_text_size = 32;

// Writes the shortest text that read_number reads back as exactly value
// ("5", "0.1", "1e+20", "inf", "-nan") into out (at least
// shortest_text_size bytes), with no terminating zero; returns the length.
int format_shortest(char* out, double value);

}  // namespace core

#endif
