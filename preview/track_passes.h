// The preview's passes over the track: the survey, which thins the track
// under every setting the run needs and finds its length and extent; the
// measuring pass, which finds the deviation of the routes the sweep and
// --within look at; and the drawing pass, which writes the picture.
#ifndef PREVIEW_TRACK_PASSES_H
#define PREVIEW_TRACK_PASSES_H

#include "core/thinning.h"
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

// The format of the track; run_preview sets it before the first pass.
extern const FormatBinding* track_binding;

// The survey's thinnings, 0 the user's setting and ladder_index(level,
// rung) the ladder's; running says which the survey ran to the end, each
// with its waypoints in its route file. The drawing pass thins again in
// thinning 0, after the survey's numbers are taken.
extern core::Thinning thinnings[most_thinnings];
extern bool running[most_thinnings];

// The routes to measure in the measuring pass, set before it, and their
// meters after it.
extern bool measured[most_thinnings];
extern RouteMeter meters[most_thinnings];

// The drawn route's meter, after the drawing pass.
extern RouteMeter drawn_meter;

// Removes the temporary files and ends the process with message
// (exit_picture_error).
[[noreturn]] void end_with_picture_error(const char* message);

// Opens the track again and checks the header of its format, where it has
// one; the run ends when it cannot be opened, and the reader ends it when
// the header is wrong.
void open_track(const char* path);

// The survey pass, with the track open and its header checked: starts
// every thinning the run needs, reads the track through all of them and
// fills *survey. Ends the run when the track has fewer than three points
// or a route file cannot be written.
void survey_track(const PreviewSettings& run, Survey* survey);

// The measuring pass: every route marked in measured, in step with one
// more reading of the track.
void measure_routes(const char* track_path);

// The drawing pass: the track, the route thinned again with the limits of
// thinning chosen, and its deviation measured from the survey's route
// file, which must agree with it. The picture is left open for its end.
void draw_route(const PreviewSettings& run, const Survey& survey, int chosen);

}  // namespace preview

#endif
