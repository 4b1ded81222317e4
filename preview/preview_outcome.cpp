#include "preview/preview_outcome.h"

#include <cstring>

#include "preview/svg_picture.h"

namespace preview {

PreviewOutcome outcome = {};

void note_outcome(int points_read, double track_length_m, int waypoint_count, const core::RunSettings& limits,
                  const RouteMeter& drawn, const char* closest_within) {
    outcome = {true, points_read, track_length_m, waypoint_count, limits, largest_deviation_m(drawn),
               drawn.worst_point, drawn.worst_leg, drawn.worst_lat_deg, drawn.worst_lon_deg, picture_projection(), {}};
    std::strncpy(outcome.closest_within, closest_within, sizeof outcome.closest_within - 1);
}

}  // namespace preview
