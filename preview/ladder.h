// The settings the preview thins the track under besides the user's: the
// ladder of thresholds that --sweep shows, from fine to coarse, and what
// --fit and --within search: a grid of all four thresholds, and the
// ladder at raised maximal distances. These constants size the passes'
// tables.
#ifndef PREVIEW_LADDER_H
#define PREVIEW_LADDER_H

#include "core/command_line.h"

namespace preview {

// One rung of the ladder: the turn and offset thresholds, from fine to
// coarse.
struct Rung {
    double max_angle_deg;
    double max_orth_error_m;
};

inline constexpr Rung ladder[] = {
    {2, 5},    {3, 10},    {4, 20},    {5, 50},    {7, 100},
    {10, 200}, {15, 500},  {20, 1000}, {30, 2000}, {45, 5000}, {60, 10000}, {90, 20000},
    // No turn is above 180 degrees: the last rung leaves only the offset
    // and the maximal distance.
    {180, 50000},
};
inline constexpr int rung_count = sizeof ladder / sizeof ladder[0];

// The grid --fit and --within search: every combination of these values
// of the four thresholds. A maximal distance of 10000 km leaves a leg as
// long as the other tests let it be; a maximal angle of 180 degrees and
// an error of 1000000 km switch those tests off.
inline constexpr double grid_min_distances_m[] = {0, 5, 20};
inline constexpr double grid_max_distances_m[] = {1000, 1e7};
inline constexpr double grid_angles_deg[] = {1, 2, 3, 5, 7, 10, 15, 20, 30, 45, 60, 90, 180};
inline constexpr double grid_errors_m[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 1e9};
inline constexpr int grid_size = 3 * 2 * 13 * 11;

// The thresholds of grid setting k (0 <= k < grid_size), with the route
// names of base; the error varies fastest, then the angle, the maximal
// and the minimal distance.
core::RunSettings grid_setting(int k, const core::RunSettings& base);

// The fit also tries the ladder's rungs at the user's /m and at these /x
// levels: the user's /x, then each of the 1-2-5 series from 10 m to
// 1000 km above it, which a long track with a small budget needs.
inline constexpr int most_distance_levels = 17;  // the user's /x and 16 above

// Writes the /x levels for a user's /x to levels and returns how many.
int distance_levels(double user_max_distance_m, double* levels);

// The survey's thinnings: 0 the user's setting, then the ladder's rungs
// at the user's /m and /x (the sweep), then the settings the fit chooses
// from: the grid, and the ladder at each /x level.
inline constexpr int first_grid_thinning = 1 + rung_count;
inline constexpr int first_level_thinning = first_grid_thinning + grid_size;
inline constexpr int most_thinnings = first_level_thinning + most_distance_levels * rung_count;

}  // namespace preview

#endif
