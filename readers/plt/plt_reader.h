// The track point file reader: a signature line, five header lines that
// are not interpreted, then one point per line as "latitude,longitude"
// followed by fields that are not examined.
#ifndef READERS_PLT_PLT_READER_H
#define READERS_PLT_PLT_READER_H

#include "core/track_point.h"

namespace plt {

// The text the first line of a track point file begins with.
inline constexpr char signature[] = "OziExplorer Track Point File";
inline constexpr int signature_length = sizeof signature - 1;

// Reads the six header lines from core::input_stream. Ends the run with
// "Input file read error!" (exit 2) when the input ends within them and
// with "Incorrect file format!" (exit 2) when the first line does not
// begin with "OziExplorer Track Point File".
void check_input_header();

// Reads one non-empty line and parses it. Returns 0 with the point filled;
// -1 at the end of the input; 1 when the line holds no ','; 3 when the
// latitude lies outside +-100 or the longitude outside +-370 (NaN
// included). Text that is not a number reads as 0.
int read_plt_line(core::TrackPoint* point);

// The point reader of the program: skips lines until a point or the end.
int read_next_point(core::TrackPoint* point);

}  // namespace plt

#endif
