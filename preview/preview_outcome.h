// What a preview run that drew its picture found, kept for a caller that
// reads it as the process ends (the page's module prints it as figures).
#ifndef PREVIEW_PREVIEW_OUTCOME_H
#define PREVIEW_PREVIEW_OUTCOME_H

#include "core/command_line.h"
#include "preview/projection.h"
#include "preview/route_meter.h"

namespace preview {

struct PreviewOutcome {
    bool drawn;  // false until the picture is in place
    int points_read;
    double track_length_m;
    int waypoint_count;
    core::RunSettings limits;  // the thresholds drawn: those given, or the fitted ones
    double largest_deviation_m;
    int worst_point;  // the track point that lies farthest off, numbered from 1
    int worst_leg;    // its leg runs from waypoint worst_leg to the next
    double worst_lat_deg, worst_lon_deg;  // as read
    Projection projection;  // of the picture drawn
    // The closest route's distance as it prints ("12.35"); empty for a
    // converter's route.
    char closest_within[32];
};

// Written by note_outcome; all zero before.
extern PreviewOutcome outcome;

// Notes the run's figures: the survey's count and length, the drawn
// route's waypoints, its thresholds, its meter's worst point, the
// picture's projection and the closest route's distance ("" for none). Called once the picture is in place, before the
// outcome is printed.
void note_outcome(int points_read, double track_length_m, int waypoint_count, const core::RunSettings& limits,
                  const RouteMeter& drawn, const char* closest_within);

}  // namespace preview

#endif
