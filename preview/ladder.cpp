// The grid's settings and the /x levels of the ladder.
#include "preview/ladder.h"

#include <initializer_list>

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

int distance_levels(double user_max_distance_m, double* levels) {
    int count = 0;
    levels[count++] = user_max_distance_m;
    for (double power = 10.0; power <= 1e6; power *= 10.0)
        for (double factor : {1.0, 2.0, 5.0}) {
            double value = power * factor;
            if (value <= 1e6 && value > user_max_distance_m && count < most_distance_levels)
                levels[count++] = value;
        }
    return count;
}

}  // namespace preview
