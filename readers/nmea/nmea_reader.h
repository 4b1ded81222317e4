// The NMEA 0183 log reader: every "$GPRMC," sentence with a correct
// checksum and an active fix gives one track point; every other line is
// skipped without a word.
#ifndef READERS_NMEA_NMEA_READER_H
#define READERS_NMEA_NMEA_READER_H

#include "core/track_point.h"

namespace nmea {

// Checks the checksum of a zero-terminated sentence: the XOR of the
// characters between '$' and the first '*' against the hexadecimal number
// after the '*', read as scanf's "%x" reads it. Returns 0 when they agree;
// 1 when the line does not begin with '$'; 2 when it has no '*'; 3 when
// the number reads as 0 but does not begin with '0'; 4 when the number
// differs or there is none.
int verify_nmea_checksum(const char* line);

// Reads one non-empty line from core::input_stream and parses it. Returns
// 0 with the point filled from an accepted sentence; -1 at the end of the
// input; 1 when the line does not begin with "$GPRMC,"; 2 when the
// checksum fails; 3 for a malformed time field, a malformed latitude or
// hemisphere, or a position out of range (latitude beyond +-100, longitude
// beyond +-370); 4 for a malformed longitude or hemisphere; 10 when the
// status is not "A". After a positive code the point may be partly
// written.
int read_rmc_line(core::TrackPoint* point);

// The point reader of the program: skips lines until a point or the end.
int read_next_point(core::TrackPoint* point);

}  // namespace nmea

#endif
