// The preview's exit codes. A reader that meets a bad track ends the run
// itself with the converters' code for it, and the preview's failures to
// read or write share that code; the manual page lists them.
#ifndef PREVIEW_EXIT_CODES_H
#define PREVIEW_EXIT_CODES_H

#include "core/entry.h"

namespace preview {

// The track cannot be opened, its format is not known, or a reader found
// it wrong: "Input file open error!", "Unknown track file format!".
inline constexpr int exit_track_error = core::exit_forward_pass;

// The picture or a temporary route file cannot be opened, written or
// renamed, or the track changed between two readings.
inline constexpr int exit_picture_error = 2;

// Fewer than three track points: "Too short input file!".
inline constexpr int exit_too_short = core::exit_too_short;

// No setting on the ladder keeps within the --fit budget or the --within
// distance.
inline constexpr int exit_no_fit = 6;

}  // namespace preview

#endif
