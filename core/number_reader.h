// Numbers read exactly as glibc's strtod reads them in the "C" locale, on
// every system, with a fast path for the short plain decimals that tracks
// are made of.
#ifndef CORE_NUMBER_READER_H
#define CORE_NUMBER_READER_H

namespace core {

// Whether c is a decimal digit, '0' to '9', in any locale.
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The value of the number at the start of text, as glibc's
// strtod(text, nullptr) gives it: blanks skipped, sign, digits, decimal
// point, exponent, hexadecimal ("0x1.8p3"), "inf", "infinity", "nan" and
// "nan(...)" in either case; correctly rounded whatever the number of
// digits; infinity past the largest double and 0 below the smallest; 0
// when no number begins there.
double read_number(const char* text);

}  // namespace core

#endif
