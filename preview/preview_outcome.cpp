#include "preview/preview_outcome.h"

#include "preview/svg_picture.h"

namespace preview {

PreviewOutcome outcome = {};

void note_outcome(int points_read, double track_length_m, int waypoint_count, const core::RunSettings& limits,
                  const RouteMeter& drawn) {
    outcome = {true, points_read, track_length_m, waypoint_count, limits, largest_deviation_m(drawn),
               drawn.worst_point, drawn.worst_leg, drawn.worst_lat_deg, drawn.worst_lon_deg, picture_projection()};
}

}  // namespace preview
