// The record file reader: after the signature "MsRcd" and a zero byte, a
// sequence of length-prefixed records; the track records among them carry
// their points as pairs of signed 32-bit semicircle values. All integers
// are little-endian.
#ifndef READERS_RECORDS_RECORDS_READER_H
#define READERS_RECORDS_RECORDS_READER_H

#include <cstdint>

#include "core/track_point.h"

namespace records {

// The first bytes of a record file: "MsRcd" and a zero byte.
inline constexpr char signature[] = "MsRcd";
inline constexpr int signature_size = sizeof signature;

// Checks the six signature bytes at the start of core::input_stream and
// starts the record walk after them, resetting the reader's state. Ends
// the run (exit 2) with "Input file read error!" when fewer than six bytes
// come, "Incorrect file format!" when they are not "MsRcd" and a zero, and
// "Input file tell error!" when the position cannot be taken.
void check_input_header();

// Delivers the points of every track record in file order as one
// sequence: 0 with the point filled, -1 when no point follows. The end of
// the records (the end of the file, a length past it, a negative length)
// ends the sequence silently; a track record that cannot be read in full
// prints "Track read error!" first.
int read_next_point(core::TrackPoint* point);

// Walks the records from the next one on until a track record. Returns 0
// with the stream just after its type byte; -1 when a seek fails, -2 when
// no length can be read, -3 when no type byte can be read, -4 when the
// length is negative.
int find_track_record();

// Reads the next point of the current track record, and its header first
// when the record has just been found. Returns 0 with the point filled; 1
// when the track declares no points (the walk goes on); negative for a
// track that cannot be read: -2 end of file inside the name, -3 a name
// longer than 150 bytes, -4 no track bytes, -5 no point count, -6 a
// negative count, -7 no latitude, -8 no longitude, -10 no track record
// positioned.
int read_track_point(core::TrackPoint* point);

// 2^31 semicircles are 180 degrees; the product is exact in a double.
double semicircles_to_degrees(int32_t semicircles);

}  // namespace records

#endif
