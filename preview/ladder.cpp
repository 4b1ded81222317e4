// The grid's settings.
#include "preview/ladder.h"

namespace preview {

namespace {

template <typename T, int n>
constexpr int count_of(const T (&)[n]) {
    return n;
}

static_assert(grid_size == count_of(grid_min_distances_m) * count_of(grid_max_distances_m) *
                               count_of(grid_angles_deg) * count_of(grid_errors_m));

}  // namespace

core::RunSettings grid_setting(int k, const core::RunSettings& base) {
    core::RunSettings limits = base;
    int errors = count_of(grid_errors_m), angles = count_of(grid_angles_deg);
    int maxima = count_of(grid_max_distances_m);
    limits.max_orth_error_m = grid_errors_m[k % errors];
    k /= errors;
    limits.max_angle_deg = grid_angles_deg[k % angles];
    k /= angles;
    limits.max_distance_m = grid_max_distances_m[k % maxima];
    k /= maxima;
    limits.min_distance_m = grid_min_distances_m[k];
    return limits;
}

}  // namespace preview
