// The preview's passes over the track: the survey, which thins the track
// under every setting the run needs and finds its length and extent; the
// passes that thin some settings again into route files and measure the
// deviation of their routes, for the sweep and the fit; the closest
// route's passes; and the drawing pass, which writes the picture. The
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
};

// The track points the survey keeps for measuring the fit's legs.
inline constexpr int recent_points = 65536;

// The largest deviation of a route, leg by leg as the survey decides its
// waypoints: as the route meter finds it where exact.
struct LegsMeasured {
    int last_index;  // the last waypoint's track point number
    UnitVector last_position;
    double worst_key;  // of the route meter's order
    double worst_rad;
    bool exact;  // every leg's points were still kept
};

// Everything the passes of one run share. Settings are numbered as the
// survey's thinnings (preview/ladder.h): 0 the user's setting, then the
// ladder's rungs, then the grid's settings.
struct PassState {
    // The track's format; set before the first pass.
    const FormatBinding* format;
    Survey survey;
    // Each setting's thinning in the survey; once it has ended, its counts
    // and length are the route's.
    core::Thinning surveyed[most_thinnings];
    // The settings the survey ran to the end, and the waypoint count of
    // each. The user's setting and the rungs have their waypoints in their
    // route files from the survey on; a grid setting gets its file when a
    // later pass thins it again.
    bool has_route[most_thinnings];
    int counts[most_thinnings];
    std::FILE* route_files[most_thinnings];
    // Set once the survey has read the last point: the waypoint handed
    // then is that point itself, not the one before it.
    bool track_ended;
    bool route_write_failed;
    // The meters of the routes measured from their files.
    RouteMeter route_meters[most_thinnings];
    // The fit's settings are measured in the survey already, each leg as
    // its waypoint is decided, over the track points it covers that are
    // still among the last recent_points read (exact for a setting whose
    // every leg covers fewer).
    LegsMeasured legs_measured[most_thinnings];
    UnitVector recent_positions[recent_points];
    // Each route's largest deviation once known, in metres; -1 before.
    double deviation_m[most_thinnings];
    // The fit's settings the survey left for straying beyond --within.
    bool beyond_distance[most_thinnings];
    // With --closest, the search for the closest route, whose tries take
    // the place of the thinnings.
    ClosestSearch closest;
    // The drawing pass's own thinning of the chosen setting, and the meter
    // of the drawn route, read from its route file.
    core::Thinning drawing;
    RouteMeter drawn_meter;
};

// Removes the temporary files and ends the run with the failure.
[[noreturn]] void end_with_picture_error(const core::RunFailure& failure);

// Opens the track again and checks the header of its format, where it has
// one; the run ends when it cannot be opened, and the reader ends it when
// the header is wrong.
void open_track(const FormatBinding& format, const char* path);

// The survey pass, with the track open and its header checked: starts
// every thinning the run needs, reads the track through all of them and
// fills state->survey. Ends the run when the track has fewer than three
// points or a route file cannot be written.
void survey_track(const PreviewSettings& run, PassState* state);

// One more reading of the track: thins the settings listed in thin again,
// each into a new route file, and measures the routes listed in measure
// from their files. Ends the run when the track changed since the survey.
void thin_and_measure(const char* track_path, PassState* state, const int* thin, int thin_count,
                      const int* measure, int measure_count);

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
