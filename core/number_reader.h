// Decimal numbers read exactly as strtod reads them in the "C" locale,
// with a fast path for the short plain decimals that tracks are made of.
#ifndef CORE_NUMBER_READER_H
#define CORE_NUMBER_READER_H

namespace core {

// The value of the number at the start of text, as std::strtod(text,
// nullptr) gives it: blanks skipped, sign, digits, decimal point,
// exponent, hexadecimal, infinity and NaN; 0 when no number begins there.
// Up to 19 digits without an exponent are converted directly, correctly
// rounded; anything else goes to strtod.
double read_number(const char* text);

}  // namespace core

#endif
