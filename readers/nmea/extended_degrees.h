// Degrees from the whole degrees and the minutes of an NMEA coordinate,
// with the rounding of 80-bit extended precision (a 64-bit mantissa),
// computed in integers so that every system gives the same bits.
#ifndef READERS_NMEA_EXTENDED_DEGREES_H
#define READERS_NMEA_EXTENDED_DEGREES_H

namespace nmea {

// whole_degrees + minutes * (1/60), where 1/60 is held with a 64-bit
// mantissa (0x8888888888888889 * 2^-69), the product and the sum are each
// rounded to a 64-bit mantissa, and the sum is then rounded to double;
// every rounding is to nearest, ties to even. NaN and infinite minutes
// come back as they are.
double degrees_from_minutes(int whole_degrees, double minutes);

}  // namespace nmea

#endif
