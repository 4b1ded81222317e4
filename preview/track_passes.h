// The preview's passes over the track: the survey, which thins the track
// under every setting the run needs and finds its length and extent; the
// measuring pass, which finds the deviation of the routes the sweep and
// --within look at; and the drawing pass, which writes the picture. The
// run owns one PassState and hands it to each pass.
#ifndef PREVIEW_TRACK_PASSES_H
#define PREVIEW_TRACK_PASSES_H

#include <cstdio>

#include "core/thinning.h"
#include "preview/closest_search.h"
#include "preview/ladder.h"
#include "preview/preview_options.h"
#include "preview/route_meter.h"
#include "preview/svg_picture.h"
#include "preview/track_format.h"

namespace preview {

// What the survey found.
struct Survey {
    int points_read;
    double track_length_m;
    TrackExtent extent;
    double levels[most_distance_levels];
    int level_count;
};

// Everything the passes of one run share. Settings are numbered as the
// survey's thinnings: 0 the user's setting and ladder_index(level, rung)
// the ladder's.
struct PassState {
    // The track's format; set before the first pass.
    const FormatBinding* format;
    Survey survey;
    // Each setting's thinning in the survey; once it has ended, its counts
    // and length are the route's.
    core::Thinning surveyed[most_thinnings];
    // The settings the survey ran to the end, each with its waypoints in
    // its route file.
    bool has_route[most_thinnings];
    std::FILE* route_files[most_thinnings];
    // Set once the survey has read the last point: the waypoint handed
    // then is that point itself, not the one before it.
    bool track_ended;
    bool route_write_failed;
    // The routes the measuring pass measures, marked before it, and their
    // meters after it.
    bool to_measure[most_thinnings];
    RouteMeter route_meters[most_thinnings];
    // With --closest, the search for the closest route, whose tries take
    // the place of the thinnings.
    ClosestSearch closest;
    // The drawing pass's own thinning of the chosen setting, and the meter
    // of the drawn route, read from its route file.
    core::Thinning drawing;
    RouteMeter drawn_meter;
};

// Removes the temporary files and ends the process with message
// (exit_picture_error).
[[noreturn]] void end_with_picture_error(const char* message);

// Opens the track again and checks the header of its format, where it has
// one; the run ends when it cannot be opened, and the reader ends it when
// the header is wrong.
void open_track(const FormatBinding& format, const char* path);

// The survey pass, with the track open and its header checked: starts
// every thinning the run needs, reads the track through all of them and
// fills state->survey. Ends the run when the track has fewer than three
// points or a route file cannot be written.
void survey_track(const PreviewSettings& run, PassState* state);

// The measuring pass: every route marked in to_measure, in step with one
// more reading of the track.
void measure_routes(const char* track_path, PassState* state);

// The closest route's further passes, after the survey's, until its
// search is over.
void search_closest_route(const char* track_path, PassState* state);

// The drawing pass: the track, the route and its deviation, measured from
// the route's file. A converter's route (chosen a setting) is thinned
// again with its limits and must agree with the file; the closest route
// (chosen -1) is the file's. The picture is left open for its end.
void draw_route(const PreviewSettings& run, int chosen, PassState* state);

}  // namespace preview

#endif
