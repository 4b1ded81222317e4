// The /x levels of the ladder and the level --fit starts from.
#include "preview/ladder.h"

#include <initializer_list>

namespace preview {

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

int starting_level(const double* levels, int level_count, double track_length_m, int budget) {
    for (int level = 0; level < level_count; ++level)
        if (track_length_m / levels[level] <= budget / 2.0) return level;
    return level_count - 1;
}

}  // namespace preview
