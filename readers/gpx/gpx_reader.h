// The GPX track point reader. It is a byte scanner, not an XML parser: the
// input is cut into tags at '<' and '>', and the latitude and longitude of
// every track point start tag are found by plain text search in the tag.
// Track and segment boundaries are not seen; waypoints and route points
// are not read.
#ifndef READERS_GPX_GPX_READER_H
#define READERS_GPX_GPX_READER_H

#include "core/track_point.h"

namespace gpx {

// Size of the tag buffer; at most tag_buffer_size - 2 bytes of a tag are
// kept.
inline constexpr int tag_buffer_size = 1000;

// Reads the text of the next tag from core::input_stream into buffer,
// without its '<' and '>', zero-terminated; a longer tag is cut after
// capacity - 2 bytes and its rest is passed over as text between tags.
// Returns 0 with a tag in the buffer, -1 when the input ends before a '<',
// -2 when it ends inside a tag.
int read_next_tag(char* buffer, int capacity);

// Reads tags until one that contains "trkpt" and not "/trkpt", and takes
// its point: the number from the first digit after the first "lat" (and a
// '-' just before that digit), likewise after the first "lon". Returns 0
// with the point filled; -1 at the end of the input; 1 when the tag has no
// "lat" or "lon", 2 when no digit follows one, 3 when the latitude lies
// outside +-100 or the longitude outside +-370.
int read_trkpt_tag(core::TrackPoint* point);

// The point reader of the program: skips tags until a point or the end.
int read_next_point(core::TrackPoint* point);

}  // namespace gpx

#endif
