// The Route2 route file: its header lines, the fixed-length waypoint
// record, and the backward route built from the forward route on disk.
#ifndef CORE_ROUTE_WRITER_H
#define CORE_ROUTE_WRITER_H

#include "core/number_writer.h"
#include "core/track_point.h"

namespace core {

// A waypoint record is 37 bytes, "W,RW%06d,%10.6lf,%11.6lf,0\r\n", while
// its number stays below 1000000 and its coordinates keep their widths.
// The forward header is 74 bytes, two records long, so record n starts at
// byte 37 * (n + 1) and the backward pass can seek straight to it.
inline constexpr int route_record_size = 37;
inline constexpr int forward_header_size = 2 * route_record_size;

// A waypoint's name: "RW" and its number, at least six digits with
// leading zeros ("RW000012").
inline constexpr char waypoint_name_prefix[] = "RW";
inline constexpr int waypoint_name_digits = 6;
inline constexpr int waypoint_name_size = sizeof waypoint_name_prefix - 1 + integer_text_size;

// Writes the name of waypoint number into text (waypoint_name_size bytes)
// without a terminating zero; returns its length.
int format_waypoint_name(char* text, int number);

enum Route { forward_route, backward_route };

// Count of waypoint records written to the forward route; the n-th record
// carries the number n. Written by write_waypoint only.
extern int waypoint_count;

// Writes the three header lines of the route to output_stream. A line that
// cannot be written ends the run: "Output file write error!" (exit 2) for
// the forward route, "Backward route file write error!" (exit 3) for the
// backward route.
void write_route_header(Route route);

// Numbers the point as the next waypoint, formats its record into
// point->text and appends it to the forward route in output_stream. A
// failed write ends the run with "Output file write error!" (exit 2).
void write_waypoint(TrackPoint* point);

// Reopens the forward route for reading into input_stream, opens the
// backward route into output_stream, writes its header and copies the
// forward records from the last to the first, each from its fixed offset. Returns with both files
// open; every failure ends the run with exit code 3 (opening, header) or
// 4 (copying), keeping what was written.
void write_backward_route();

}  // namespace core

#endif
