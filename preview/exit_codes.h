// The preview's exit codes and failures. A reader that meets a bad track ends the run
// itself with the converters' code for it, and the preview's failures to
// read or write share that code; the manual page lists them.
#ifndef PREVIEW_EXIT_CODES_H
#define PREVIEW_EXIT_CODES_H

#include "core/run_failures.h"

namespace preview {

// The track cannot be opened, its format is not known, or a reader found
// it wrong: "Input file open error!", "Unknown track file format!".
inline constexpr int exit_track_error = core::exit_forward_pass;

// The picture or a temporary route file cannot be opened, written or
// renamed, or the track changed between two readings.
inline constexpr int exit_picture_error = core::exit_forward_pass;

// Fewer than three track points: "Too short input file!".
inline constexpr int exit_too_short = core::exit_too_short;

// The preview's own failures beside the converters' in core/run_failures.h.
inline constexpr core::RunFailure unknown_format_error{"Unknown track file format!\n", exit_track_error};
inline constexpr core::RunFailure picture_open_error{"Picture file open error!\n", exit_picture_error};
inline constexpr core::RunFailure picture_write_error{"Picture file write error!\n", exit_picture_error};
inline constexpr core::RunFailure picture_rename_error{"Picture file rename error!\n", exit_picture_error};
inline constexpr core::RunFailure track_changed_error{"Track file changed while it was read!\n", exit_picture_error};

// No setting on the ladder keeps within the --fit budget or the --within
// distance.
inline constexpr int exit_no_fit = 6;

}  // namespace preview

#endif
