// The references bench/quality sets the routes beside, on the same measure
// as rt2preview: each track point's distance from its leg on the sphere.
// The whole track is held in memory, as these methods need.
//
//   quality_tools points TRACK            the track's point count
//   quality_tools dp-budget TRACK N       Douglas-Peucker to N waypoints
//   quality_tools dp-within TRACK D       Douglas-Peucker within D metres
//   quality_tools fewest TRACK D          the fewest waypoints within D
//   quality_tools measure TRACK ROUTE     a route of track points in a
//                                         GPX file (another program's)
//   quality_tools closest TRACK D         the closest route within D, as
//                                         rt2preview --closest makes it
//   quality_tools grid TRACK N,.. D,..    the converter's best over a grid
//                                         of 858 settings: the least
//                                         deviation with at most N
//                                         waypoints, and the fewest
//                                         waypoints within D metres
//
// Each prints "waypoints deviation_m" (fewest: "waypoints"; grid: a line
// for each budget and distance).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <string>
#include <vector>

#include "core/distance.h"
#include "core/entry.h"
#include "core/thinning.h"
#include "preview/closest_route.h"
#include "preview/leg_distance.h"
#include "preview/track_format.h"

namespace {

using core::pi;

struct Point {
    double lat_deg, lon_deg;
    preview::UnitVector position;
};

std::vector<Point> track;

void read_track(const char* path) {
    const preview::FormatBinding& format = preview::judge_track(path, preview::TrackFormat::unknown);
    if (format.program->check_input_header != nullptr) format.program->check_input_header();
    core::TrackPoint p;
    while (format.program->read_next_point(&p) == 0)
        track.push_back({p.lat_deg, p.lon_deg, preview::unit_vector(p)});
}

double deviation_m(const preview::Leg& leg, int k) {
    return preview::deviation_rad(leg, track[k].position) * core::earth_radius_m;
}

// The farthest point from the leg first..last and its distance.
int farthest(int first, int last, double* largest_m) {
    preview::Leg leg;
    preview::start_leg(&leg, track[first].position, track[last].position);
    int worst = -1;
    *largest_m = -1.0;
    for (int k = first + 1; k < last; ++k) {
        double d = deviation_m(leg, k);
        if (d > *largest_m) *largest_m = d, worst = k;
    }
    return worst;
}

double largest_deviation_m(const std::vector<int>& route) {
    double largest = 0.0;
    for (size_t k = 1; k < route.size(); ++k) {
        double d;
        farthest(route[k - 1], route[k], &d);
        largest = std::max(largest, d);
    }
    return largest;
}

std::vector<int> dp_within(double within_m) {
    std::vector<int> kept = {0, static_cast<int>(track.size()) - 1};
    std::vector<std::pair<int, int>> stack = {{0, static_cast<int>(track.size()) - 1}};
    while (!stack.empty()) {
        auto [first, last] = stack.back();
        stack.pop_back();
        double d;
        int worst = farthest(first, last, &d);
        if (worst < 0 || d <= within_m) continue;
        kept.push_back(worst);
        stack.push_back({first, worst});
        stack.push_back({worst, last});
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

// Splits the leg that strays farthest until there are budget waypoints.
std::vector<int> dp_budget(int budget) {
    struct Part {
        double deviation_m;
        int first, last, worst;
        bool operator<(const Part& other) const { return deviation_m < other.deviation_m; }
    };
    std::priority_queue<Part> parts;
    auto add = [&](int first, int last) {
        double d;
        int worst = farthest(first, last, &d);
        if (worst >= 0) parts.push({d, first, last, worst});
    };
    std::vector<int> kept = {0, static_cast<int>(track.size()) - 1};
    add(0, static_cast<int>(track.size()) - 1);
    while (static_cast<int>(kept.size()) < budget && !parts.empty() && parts.top().deviation_m > 0) {
        Part p = parts.top();
        parts.pop();
        kept.push_back(p.worst);
        add(p.first, p.worst);
        add(p.worst, p.last);
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

bool leg_keeps_within(int first, int last, double within_m) {
    preview::Leg leg;
    preview::start_leg(&leg, track[first].position, track[last].position);
    for (int k = first + 1; k < last; ++k)
        if (deviation_m(leg, k) > within_m) return false;
    return true;
}

// The bearing from a to b in radians, on a plane about a (for pruning
// only, with a generous margin).
double bearing(const Point& a, const Point& b) {
    double north = b.lat_deg - a.lat_deg;
    double east = std::remainder(b.lon_deg - a.lon_deg, 360.0) * std::cos(a.lat_deg * pi / 180.0);
    return std::atan2(east, north);
}

double metres(const Point& a, const Point& b) {
    return preview::central_angle_rad(a.position, b.position) * core::earth_radius_m;
}

// The shortest path through the legs that keep within the distance. From
// each point, the ends are looked for while the bearings that pass within
// the distance of every point so far (widened by half) still meet.
int fewest(double within_m) {
    int n = static_cast<int>(track.size());
    std::vector<int> least(n, n + 1);
    least[0] = 1;
    for (int i = 0; i < n - 1; ++i) {
        double low = -10, high = 10;  // about the first bounding bearing
        double centre = 0;
        bool bounded = false;
        for (int j = i + 1; j < n; ++j) {
            if (least[i] + 1 < least[j] && leg_keeps_within(i, j, within_m)) least[j] = least[i] + 1;
            double r = metres(track[i], track[j]);
            if (r <= within_m) continue;
            double width = 1.5 * std::asin(std::min(1.0, within_m / r)) + 1e-6;
            double b = bearing(track[i], track[j]);
            if (!bounded) centre = b, bounded = true;
            double offset = std::remainder(b - centre, 2 * pi);
            low = std::max(low, offset - width);
            high = std::min(high, offset + width);
            if (low > high || r > 2e6) break;
        }
    }
    return least[n - 1];
}

// The route's points, read from the trkpt or rtept tags of a GPX file,
// found in turn among the track's points.
std::vector<int> route_in_gpx(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) std::exit(2);
    std::string text;
    char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
    std::fclose(file);
    std::vector<int> route;
    size_t at = 0;
    int next = 0;
    while ((at = text.find("pt ", at)) != std::string::npos) {
        size_t lat = text.find("lat=\"", at), lon = text.find("lon=\"", at);
        size_t end = text.find('>', at);
        bool route_point = at >= 3 && (text.compare(at - 3, 3, "trk") == 0 || text.compare(at - 3, 3, "rte") == 0);
        at += 3;
        if (!route_point) continue;
        if (lat > end || lon > end) continue;
        double lat_deg = std::atof(text.c_str() + lat + 5), lon_deg = std::atof(text.c_str() + lon + 5);
        while (next < static_cast<int>(track.size()) &&
               !(std::fabs(track[next].lat_deg - lat_deg) < 1e-8 && std::fabs(track[next].lon_deg - lon_deg) < 1e-8))
            ++next;
        if (next == static_cast<int>(track.size())) std::exit(3);
        route.push_back(next++);
    }
    return route;
}

// The converter's route under limits, as track point numbers from 0.
std::vector<int> thinned;
bool track_ended = false;

void note_waypoint(core::Thinning* t, core::TrackPoint*) {
    int index = t->waypoint_count == 1 ? 1 : track_ended ? t->points_read : t->points_read - 1;
    thinned.push_back(index - 1);
}

std::vector<int> converter_route(const core::RunSettings& limits) {
    static core::Thinning t;
    thinned.clear();
    track_ended = false;
    core::start_thinning(&t, limits, core::WaypointSink{note_waypoint, nullptr});
    for (const Point& p : track) {
        core::set_point_degrees(&t.lookahead, p.lat_deg, p.lon_deg);
        core::take_point(&t);
    }
    track_ended = true;
    core::finish_thinning(&t);
    return thinned;
}

std::vector<double> numbers(const char* list) {
    std::vector<double> values;
    for (const char* c = list; *c != 0;) {
        char* end;
        values.push_back(std::strtod(c, &end));
        c = *end == ',' ? end + 1 : end;
        if (*end != ',' && *end != 0) break;
    }
    return values;
}

// Prints "budget N: waypoints deviation_m" and "within D: waypoints
// deviation_m" lines, "- -" where no setting qualifies.
void grid(const std::vector<double>& budgets, const std::vector<double>& distances) {
    const double mins[] = {0, 5, 20}, maxes[] = {1000, 1e7};
    const double angles[] = {1, 2, 3, 5, 7, 10, 15, 20, 30, 45, 60, 90, 180};
    const double errors[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 1e9};
    std::vector<std::pair<int, double>> routes;
    for (double m : mins)
        for (double x : maxes)
            for (double a : angles)
                for (double e : errors) {
                    core::RunSettings limits = core::default_settings;
                    limits.min_distance_m = m, limits.max_distance_m = x;
                    limits.max_angle_deg = a, limits.max_orth_error_m = e;
                    std::vector<int> route = converter_route(limits);
                    routes.push_back({static_cast<int>(route.size()), largest_deviation_m(route)});
                }
    // The best route for a budget or a distance: the least deviation
    // within the budget, or the fewest waypoints within the distance.
    auto print_best = [&](const char* what, double limit, bool by_count) {
        const std::pair<int, double>* best = nullptr;
        for (const auto& r : routes) {
            bool fits = by_count ? r.first <= limit : r.second <= limit;
            bool better = best == nullptr || (by_count ? r.second < best->second : r.first < best->first);
            if (fits && better) best = &r;
        }
        if (best == nullptr)
            std::printf("%s %g: - -\n", what, limit);
        else
            std::printf("%s %g: %d %.3f\n", what, limit, best->first, best->second);
    };
    for (double budget : budgets) print_best("budget", budget, true);
    for (double within_m : distances) print_best("within", within_m, false);
}

std::vector<int> closest_indices;

void note_closest(preview::ClosestRoute*, int index, const core::TrackPoint&) { closest_indices.push_back(index - 1); }

std::vector<int> closest(double within_m) {
    static preview::LegStore store;
    preview::ClosestRoute route;
    preview::start_closest_route(&route, within_m, preview::ClosestSink{note_closest, nullptr}, &store);
    for (const Point& p : track) {
        core::TrackPoint point;
        core::set_point_degrees(&point, p.lat_deg, p.lon_deg);
        preview::take_closest_point(&route, point, p.position);
    }
    preview::finish_closest_route(&route);
    return closest_indices;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 1;
    std::string what = argv[1];
    read_track(argv[2]);
    if (track.size() < 3) return 5;
    std::vector<int> route;
    if (what == "points") {
        std::printf("%zu\n", track.size());
        return 0;
    } else if (what == "grid" && argc == 5) {
        grid(numbers(argv[3]), numbers(argv[4]));
        return 0;
    } else if (what == "fewest" && argc == 4) {
        std::printf("%d\n", fewest(std::atof(argv[3])));
        return 0;
    } else if (what == "dp-budget" && argc == 4) {
        route = dp_budget(std::atoi(argv[3]));
    } else if (what == "closest" && argc == 4) {
        route = closest(std::atof(argv[3]));
    } else if (what == "dp-within" && argc == 4) {
        route = dp_within(std::atof(argv[3]));
    } else if (what == "measure" && argc == 4) {
        route = route_in_gpx(argv[3]);
        if (route.empty() || route.front() != 0 || route.back() != static_cast<int>(track.size()) - 1) return 4;
    } else {
        return 1;
    }
    std::printf("%zu %.3f\n", route.size(), largest_deviation_m(route));
    return 0;
}
