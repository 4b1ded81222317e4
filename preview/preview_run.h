// The preview's run: the command line, a survey pass that thins the track
// under every setting it needs and finds its extent, the choice of the
// setting to draw, and a drawing pass that writes the picture.
#ifndef PREVIEW_PREVIEW_RUN_H
#define PREVIEW_PREVIEW_RUN_H

#include "core/command_line.h"

namespace preview {

// Exit code when no setting on the ladder keeps within the --fit budget
// or the --within distance.
inline constexpr int exit_no_fit = 6;

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

// The /x values --fit may raise to: the 1-2-5 series from 10 m to 1000 km.
inline constexpr int most_distance_levels = 17;  // the user's /x and 16 raised

// The /x levels for a user's /x: that value, then each of the series above
// it. Returns how many were written to levels.
int distance_levels(double user_max_distance_m, double* levels);

// Thinnings of the survey pass: the user's setting, then the ladder at
// each /x level.
inline constexpr int most_thinnings = 1 + most_distance_levels * rung_count;

// The level --fit starts from: the first whose /x lets the track's length
// use at most half the budget, so that the other half is left for its
// shape; the last when none does.
int starting_level(const double* levels, int level_count, double track_length_m, int budget);

// Runs the preview and ends the process with its exit code.
[[noreturn]] void run_preview(int argc, char** argv);

}  // namespace preview

#endif
