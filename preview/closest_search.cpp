// The search for the closest route's distance, and the tries of each pass
// with their route files.
#include "preview/closest_search.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/number_reader.h"
#include "preview/ladder.h"
#include "preview/number_text.h"
#include "preview/route_meter.h"
#include "preview/temporary_files.h"

namespace preview {

namespace {

// The distances the search looks between: from a micrometre to half the
// Earth's circumference, past which every route is the same.
constexpr double least_within_m = 1e-6;
constexpr double most_within_m = 2e7;
// The first pass's distances, and the step by which the search goes on
// past them while one side is still open.
constexpr double first_distances_m[closest_tries] = {2, 10, 50, 250};
constexpr double open_step = 5.0;

int route_file_number(int slot) { return most_thinnings + slot; }

void record_waypoint(ClosestRoute* route, int index, const core::TrackPoint& waypoint) {
    ClosestSearch* search = static_cast<ClosestSearch*>(route->sink.context);
    int t = static_cast<int>(route - search->tries);
    if (!write_waypoint_record(search->files[search->try_slot[t]], index, waypoint)) search->write_failed = true;
}

// value with distance_digits significant digits, in its shortest form
// ("12.35", "250"), and the exact number that text reads as.
double rounded_distance(double value, char* text) {
    int exponent = 0;
    double power = 1.0;
    while (value >= power * 10.0) power *= 10.0, ++exponent;
    while (value < power) power /= 10.0, --exponent;
    int decimals = distance_digits - 1 - exponent;
    std::string digits = fixed_text(value, decimals < 0 ? 0 : decimals);
    if (digits.find('.') != std::string::npos) {
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    std::strcpy(text, digits.c_str());
    return core::read_number(text);
}

bool start_try(ClosestSearch* search, double value, const char* text) {
    int t = search->try_count;
    int slot = 0;
    while (slot == search->fitting_slot || (t > 0 && slot <= search->try_slot[t - 1])) ++slot;
    std::FILE* file = open_route_file(route_file_number(slot));
    if (file == nullptr) return false;
    search->files[slot] = file;
    search->try_slot[t] = slot;
    search->try_running[t] = true;
    std::strcpy(search->try_text[t], text);
    start_closest_route(&search->tries[t], value, ClosestSink{record_waypoint, search}, &search->stores[t]);
    ++search->try_count;
    return true;
}

// The distances of the next pass, from small to large: the first pass's,
// steps beyond the side still open, or the quartiles (of the logarithms)
// between the two, from square roots alone so that every system finds the
// same.
int next_distances(const ClosestSearch& search, double* values) {
    double low = search.too_small_m, high = search.fitting_m;
    int count = 0;
    if (low > 0 && high > 0) {
        double middle = std::sqrt(low * high);
        values[0] = std::sqrt(low * middle);
        values[1] = middle;
        values[2] = std::sqrt(middle * high);
        return 3;
    }
    double step = 1.0;
    for (int k = 0; k < closest_tries; ++k) {
        step *= open_step;
        double value = low == 0 && high == 0 ? first_distances_m[k]
                       : high == 0           ? low * step
                                             : high / (open_step * open_step * open_step * open_step) * step / open_step;
        if (value >= least_within_m && value <= most_within_m) values[count++] = value;
    }
    return count;
}

}  // namespace

void start_closest_search(ClosestSearch* search, int budget, double within_m, const char* within_text) {
    search->budget = budget;
    search->try_count = 0;
    search->too_small_m = 0.0;
    search->fitting_m = 0.0;
    search->fitting_slot = -1;
    search->fitting_count = 0;
    search->write_failed = false;
    search->fitting_text[0] = 0;
    search->given_m = within_m;
    std::strncpy(search->given_text, within_text, sizeof search->given_text - 1);
    search->given_text[sizeof search->given_text - 1] = 0;
}

bool plan_closest_pass(ClosestSearch* search) {
    if (search->given_m > 0) {
        // The given distance's pass, once.
        if (search->try_count > 0) return false;
        return start_try(search, search->given_m, search->given_text);
    }
    if (search->fitting_m > 0 && search->too_small_m > 0 && search->fitting_m <= search->too_small_m * closest_ratio)
        return false;
    if (search->fitting_m > 0 && search->fitting_m <= least_within_m) return false;
    if (search->fitting_m == 0 && search->too_small_m >= most_within_m) return false;
    double values[closest_tries];
    int count = next_distances(*search, values);
    search->try_count = 0;
    double last = search->too_small_m;
    for (int k = 0; k < count; ++k) {
        char text[32];
        double value = rounded_distance(values[k], text);
        if (value <= last || (search->fitting_m > 0 && value >= search->fitting_m)) continue;
        if (!start_try(search, value, text)) return false;
        last = value;
    }
    return search->try_count > 0;
}

void take_point_in_tries(ClosestSearch* search, const core::TrackPoint& point, const UnitVector& position) {
    for (int t = 0; t < search->try_count; ++t) {
        if (!search->try_running[t]) continue;
        ClosestRoute* route = &search->tries[t];
        take_closest_point(route, point, position);
        // Past the budget a distance is too small: the last point still
        // adds one.
        if (search->budget > 0 && route->waypoint_count > search->budget) {
            search->try_running[t] = false;
            remove_route_file(route_file_number(search->try_slot[t]));
        }
    }
}

bool end_closest_pass(ClosestSearch* search) {
    for (int t = 0; t < search->try_count; ++t) {
        ClosestRoute* route = &search->tries[t];
        int slot = search->try_slot[t];
        if (search->try_running[t]) {
            finish_closest_route(route);
            std::FILE* file = search->files[slot];
            if (std::fflush(file) != 0 || std::ferror(file) != 0) search->write_failed = true;
        }
        bool fits = search->try_running[t] &&
                    (search->budget == 0 || route->waypoint_count <= search->budget);
        if (fits && (search->fitting_m == 0 || route->within_m < search->fitting_m)) {
            if (search->fitting_slot >= 0) remove_route_file(route_file_number(search->fitting_slot));
            search->fitting_slot = slot;
            search->fitting_m = route->within_m;
            search->fitting_count = route->waypoint_count;
            std::strcpy(search->fitting_text, search->try_text[t]);
        } else {
            if (!fits && route->within_m > search->too_small_m &&
                (search->fitting_m == 0 || route->within_m < search->fitting_m))
                search->too_small_m = route->within_m;
            if (search->try_running[t]) remove_route_file(route_file_number(slot));
        }
        search->try_running[t] = false;
    }
    // A larger distance that did not fit may lie above the one that now
    // fits, where the count does not fall steadily; the search looks
    // below the fitting one.
    if (search->fitting_m > 0 && search->too_small_m >= search->fitting_m) search->too_small_m = 0.0;
    return !search->write_failed;
}

}  // namespace preview
