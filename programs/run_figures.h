// The figures of a run of the page's module, written as key=value lines to
// a file of their own as the run ends, so that the page reads them there
// and not out of the programs' human text, which stays as it is.
#ifndef PROGRAMS_RUN_FIGURES_H
#define PROGRAMS_RUN_FIGURES_H

namespace programs {

// The figures, in the order written; figure_keys holds their keys, in
// the same order, and the page's table (web/meta.js) names the same keys.
enum class Figure {
    exit_code, points_read, waypoint_count, track_length_m,
    min_distance_m, max_distance_m, max_angle_deg, max_orth_error_m,
    largest_deviation_m, deviation_point, deviation_leg, deviation_lat_deg, deviation_lon_deg,
    picture_width, picture_height, map_left, map_top, map_width, map_height,
    origin_x, origin_y, origin_lon_deg, origin_lat_deg, x_per_deg, y_per_deg,
    closest_within_m,
    figure_count
};
extern const char* const figure_keys[static_cast<int>(Figure::figure_count)];

// Makes the end of the run of program ("rt2preview", or a converter's
// name) write its figures to path before the process ends, through
// core::process_end. The lines, in this order, each "key=value\n":
//   exit                 the exit code, always
// after a converter's run that ended with exit 0, the last progress line:
//   points_read waypoint_count track_length_m
// after rt2preview's that drew its picture, the whole track's figures,
// the thresholds drawn (those given, or the fitted ones) and the worst
// point, whose leg runs from waypoint deviation_leg to the next:
//   points_read waypoint_count track_length_m
//   min_distance_m max_distance_m max_angle_deg max_orth_error_m
//   largest_deviation_m deviation_point deviation_leg deviation_lat_deg deviation_lon_deg
// and the picture's geometry, in its pixels: its size, the map's place in
// it, and the projection x = origin_x + (lon - origin_lon_deg) * x_per_deg,
// y = origin_y + (origin_lat_deg - lat) * y_per_deg, the longitude taken
// within half a turn of the map's middle:
//   picture_width picture_height map_left map_top map_width map_height
//   origin_x origin_y origin_lon_deg origin_lat_deg x_per_deg y_per_deg
// Lengths are in metres to the decimetre as the programs print them; the
// thresholds and the coordinates in their shortest exact form. A file
// that cannot be written is left out; the run's exit code stays.
void write_figures_at_end(const char* program, const char* path);

}  // namespace programs

#endif
