// What the preview prints on standard output: the track's figures, the
// sweep's table, the outcome of the run and the messages of a failed fit.
#ifndef PREVIEW_PREVIEW_REPORT_H
#define PREVIEW_PREVIEW_REPORT_H

#include <string>

#include "core/command_line.h"
#include "preview/preview_options.h"
#include "preview/track_passes.h"

namespace preview {

// Prints text and a line end.
void print_line(const std::string& text);

// "Track file: ", "Points read: " and "Track length: " lines of the
// survey. track_path is the track as the command line named it.
void print_track_figures(const char* track_path, const PassState& state);

// The sweep's table: a row per rung at the user's /x, from the survey's
// thinnings and their meters, with the converter command line of each.
void print_sweep(const PreviewSettings& run, const PassState& state, const std::string& track_on_command_line);

// "No setting gives at most N waypoints!", or with --within when some
// setting kept within the budget, "No setting keeps the route within D
// m!".
void print_no_fit(const PreviewSettings& run, bool any_in_budget);

// "Fitted to at most N waypoints, within D m", the caption's note of a
// fitted route.
std::string fit_note(const PreviewSettings& run);

// The count of waypoints ("Waypoints: " or the "Fit: " line) and the
// largest deviation of the drawn route.
void print_outcome(const PreviewSettings& run, int waypoint_count, const RouteMeter& drawn);

// "closest route within 12.35 m", the closest route's thresholds in the
// caption.
std::string closest_text(const ClosestSearch& search);

// "No closest route has at most N waypoints!", or with --within "No
// closest route within D m has at most N waypoints!".
void print_no_closest_route(const PreviewSettings& run);

// "Closest route: 48 waypoints, at most 50, within 12.35 m" and the
// largest deviation of the drawn route.
void print_closest_outcome(const PreviewSettings& run, const ClosestSearch& search, const RouteMeter& drawn);

// "rt2preview --closest --within 12.35 track.gpx --write forward.rt2
// backward.rt2", the command line that writes the closest route's files
// under the route names of limits.
std::string closest_command(const ClosestSearch& search, const std::string& track_path,
                            const core::RunSettings& limits);

}  // namespace preview

#endif
