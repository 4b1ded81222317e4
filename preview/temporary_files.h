// The files the preview writes beside its picture while it runs: the
// picture under a temporary name until it is complete, and one file of
// waypoints for each route it measures. All of them are removed when the
// run ends, whichever way: on success, on every failure (the readers end
// the process themselves, so an exit handler takes care of those) and on
// an interrupt, which the passes over the track look for.
#ifndef PREVIEW_TEMPORARY_FILES_H
#define PREVIEW_TEMPORARY_FILES_H

#include <csignal>
#include <cstdio>
#include <string>

#include "preview/closest_search.h"
#include "preview/ladder.h"

namespace preview {

// One route file for each thinning of the survey at most, then one for
// each route file of the closest route's search.
inline constexpr int most_route_files = most_thinnings + closest_route_files;

// Names the temporary files after the picture's path and arranges that
// they are removed at the end of the process and on an interrupt.
void start_temporary_files(const std::string& picture_path);

// Creates the waypoint file of route k (0 <= k < most_route_files),
// "PICTURE.k.tmp", open for writing and then reading; nullptr when it
// cannot be created.
std::FILE* open_route_file(int k);

// Closes and deletes the waypoint file of route k, if it exists.
void remove_route_file(int k);

// Creates the picture under its temporary name, "PICTURE.tmp", into
// core::output_stream; false when it cannot be created.
bool open_picture_file();

// Closes the picture; false when that reported an error.
bool close_picture();

// Gives the closed picture its own name; false when that failed (the
// temporary file stays until the end of the run).
bool rename_picture();

// Closes and deletes every temporary file that still exists.
void remove_temporary_files();

// Set when an interrupt or termination signal came.
extern volatile std::sig_atomic_t interrupt_signal;

// Removes the temporary files and ends the process by the signal that
// came, as it would have ended without the preview's handler.
[[noreturn]] void end_by_signal();

// The passes over the track call this for every point.
inline void check_interrupt() {
    if (interrupt_signal != 0) end_by_signal();
}

}  // namespace preview

#endif
