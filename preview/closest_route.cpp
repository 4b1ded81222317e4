// The closest route's legs: the wedge of directions from a leg's start,
// the candidates for its end, the reach of the next leg from each, and the
// exact test of a leg. All arithmetic is + - * / and sqrt, or the core's
// correctly rounded functions, so every system chooses the same waypoints.
#include "preview/closest_route.h"

#include <cmath>

#include "core/cr_math.h"
#include "core/distance.h"

namespace preview {

namespace {

// Angles within this of the distance (some 60 nm on the Earth) are
// settled by the exact distance, not by the key: far above the rounding
// of either.
constexpr double key_margin_rad = 1e-14;
// An end may be tried this many times and fail before only ends short of
// the first point that failed are tried.
constexpr int free_tries = 32;
// The bit of a point's in_wedge that belongs to the leg from the last
// waypoint; candidate q has bit q.
constexpr uint16_t leg_bit = 1u << most_candidates;

double dot(const UnitVector& a, const UnitVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The squared chord of an angle, as deviation_key gives it.
double chord_key(double angle_rad) {
    double half_sine = core::cr_sin(angle_rad / 2.0);
    return 4.0 * half_sine * half_sine;
}

int slot_of(const ClosestRoute& route, int offset) { return (route.first + offset) % most_leg_points; }

const UnitVector& position_at(const ClosestRoute& route, int offset) {
    return route.store->points[slot_of(route, offset)].position;
}

// a x b in the plane, anticlockwise positive.
double turn(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

bool in_wedge(const Stretch& s, double x, double y) {
    return turn(s.right_x, s.right_y, x, y) >= 0.0 && turn(x, y, s.left_x, s.left_y) >= 0.0;
}

// Starts a leg at position, the point at offset from (-1 for the last
// waypoint): two unit tangents there, from an axis well away from it, and
// an open wedge.
void start_stretch(Stretch* s, int from, const UnitVector& position) {
    s->from = from;
    s->start = position;
    UnitVector axis = std::fabs(position.z) < 0.9 ? UnitVector{0.0, 0.0, 1.0} : UnitVector{1.0, 0.0, 0.0};
    UnitVector across = {axis.y * position.z - axis.z * position.y, axis.z * position.x - axis.x * position.z,
                         axis.x * position.y - axis.y * position.x};
    double size = std::sqrt(dot(across, across));
    s->across = {across.x / size, across.y / size, across.z / size};
    const UnitVector& a = s->across;
    s->along = {position.y * a.z - position.z * a.y, position.z * a.x - position.x * a.z,
                position.x * a.y - position.y * a.x};
    s->examined = from + 1;
    s->closed = false;
    s->wedge_full = true;
    s->farthest = 0.0;
}

// Looks at the point at offset: notes in its bit whether its direction
// lies in the wedge of the points before it, then narrows the wedge to the
// directions that pass within the distance of it. Returns true when no
// later point can end the leg.
bool examine(ClosestRoute* route, Stretch* s, int offset, uint16_t bit) {
    const UnitVector& position = position_at(*route, offset);
    double x = dot(position, s->across), y = dot(position, s->along);
    double ahead = dot(position, s->start);
    double sideways = x * x + y * y;
    double near = route->sin_within * route->sin_within;
    // A leg keeps every point within the distance only where none lies
    // farther from the start than its end does by more than the distance:
    // sin(a + b) <= sin a + sin b, with a margin for the rounding.
    double distance = std::sqrt(sideways);
    bool reaches = distance + route->sin_within * (1.0 + 1e-9) + 1e-15 >= s->farthest;
    bool may_end = reaches && (s->wedge_full || in_wedge(*s, x, y) || (sideways <= near && ahead > 0.0));
    if (distance > s->farthest) s->farthest = distance;
    uint16_t& bits = route->store->in_wedge[slot_of(*route, offset)];
    bits = may_end ? static_cast<uint16_t>(bits | bit) : static_cast<uint16_t>(bits & ~bit);
    // A point a quarter of the Earth away or more: the leg ends there.
    if (!(ahead > 0.0)) return true;
    if (sideways <= near) return false;
    // The directions within an angle a of the point's own pass within
    // the distance of it, where sin a is sin(distance) / sin(the point's
    // distance from the start).
    double dx = x / distance, dy = y / distance;
    double sine = route->sin_within / distance;
    double cosine = std::sqrt(1.0 - sine * sine);
    double right_x = dx * cosine + dy * sine, right_y = dy * cosine - dx * sine;
    double left_x = dx * cosine - dy * sine, left_y = dy * cosine + dx * sine;
    if (s->wedge_full) {
        s->wedge_full = false;
        s->right_x = right_x, s->right_y = right_y;
        s->left_x = left_x, s->left_y = left_y;
        return false;
    }
    // Two wedges narrower than half a turn meet in one wedge, or none.
    bool right_inside = in_wedge(*s, right_x, right_y);
    bool left_inside = in_wedge(*s, left_x, left_y);
    bool old_right_inside =
        turn(right_x, right_y, s->right_x, s->right_y) >= 0.0 && turn(s->right_x, s->right_y, left_x, left_y) >= 0.0;
    if (!right_inside && !old_right_inside) return true;
    if (right_inside) s->right_x = right_x, s->right_y = right_y;
    if (left_inside) s->left_x = left_x, s->left_y = left_y;
    return turn(s->right_x, s->right_y, s->left_x, s->left_y) < 0.0;
}

// Looks at the points that have come since, until the wedge closes; the
// leg closes too when the store can hold no later point.
void stretch_on(ClosestRoute* route, Stretch* s, uint16_t bit) {
    while (!s->closed && s->examined < route->count) {
        s->closed = examine(route, s, s->examined, bit);
        ++s->examined;
    }
    if (s->examined == most_leg_points) s->closed = true;
}

// The first point the leg from s's start to the point at offset end
// leaves farther than the distance, or end when there is none.
int first_point_beyond(const ClosestRoute& route, const Stretch& s, int end) {
    Leg leg;
    start_leg(&leg, s.start, position_at(route, end));
    for (int k = s.from + 1; k < end; ++k)
        if (!within_leg(route, leg, position_at(route, k))) return k;
    return end;
}

// The farthest ends of s, up to most ends, from the far end back: points
// whose direction lay in the wedge and whose leg keeps every point within
// the distance; the first point after the start always does. Returns how
// many were written to ends.
int farthest_ends(const ClosestRoute& route, const Stretch& s, uint16_t bit, int most, int* ends) {
    int count = 0, tries = 0;
    int below = s.examined;  // ends from here on are not tried
    for (int offset = s.examined - 1; offset > s.from + 1 && count < most; --offset) {
        if (offset >= below || (route.store->in_wedge[slot_of(route, offset)] & bit) == 0) continue;
        int beyond = first_point_beyond(route, s, offset);
        if (beyond == offset)
            ends[count++] = offset;
        else if (++tries >= free_tries && beyond < below)
            below = beyond + 1;
    }
    if (count < most && s.from + 1 < route.count) ends[count++] = s.from + 1;
    return count;
}

// Hands the point at offset end over as the next waypoint and starts the
// next leg there, with the points after it.
void end_leg_at(ClosestRoute* route, int end) {
    const LegPoint& chosen = route->store->points[slot_of(*route, end)];
    core::TrackPoint waypoint;
    core::set_point_degrees(&waypoint, chosen.lat_deg, chosen.lon_deg);
    route->start_index += end + 1;
    ++route->waypoint_count;
    route->sink.take_waypoint(route, route->start_index, waypoint);
    UnitVector position = chosen.position;
    route->first = slot_of(*route, end + 1);
    route->count -= end + 1;
    route->candidate_count = 0;
    start_stretch(&route->leg, -1, position);
}

bool seen_all(const ClosestRoute& route, const Stretch& s) {
    return s.closed || (route.track_ended && s.examined >= route.count);
}

// Goes on with the points that have come: stretches the leg until it
// closes, then each candidate's next leg until all have closed, and ends
// the leg at the candidate that reaches farthest; again while the points
// held allow.
void go_on(ClosestRoute* route) {
    while (route->count > 0) {
        if (route->candidate_count == 0) {
            stretch_on(route, &route->leg, leg_bit);
            if (!seen_all(*route, route->leg)) return;
            int ends[most_candidates];
            int count = farthest_ends(*route, route->leg, leg_bit, most_candidates, ends);
            // The track's last point, where a leg reaches it, ends the
            // route.
            if (count == 1 || (route->track_ended && ends[0] == route->count - 1)) {
                end_leg_at(route, ends[0]);
                continue;
            }
            route->candidate_count = count;
            for (int q = 0; q < count; ++q)
                start_stretch(&route->next_legs[q], ends[q], position_at(*route, ends[q]));
        }
        bool all_seen = true;
        for (int q = 0; q < route->candidate_count; ++q) {
            stretch_on(route, &route->next_legs[q], static_cast<uint16_t>(1u << q));
            all_seen = all_seen && seen_all(*route, route->next_legs[q]);
        }
        if (!all_seen) return;
        // The candidates come from the farthest back, so of equal reach
        // the farther wins.
        int best = 0, best_reach = -1;
        for (int q = 0; q < route->candidate_count; ++q) {
            const Stretch& s = route->next_legs[q];
            int reach = s.from;
            if (farthest_ends(*route, s, static_cast<uint16_t>(1u << q), 1, &reach) == 0) reach = s.from;
            if (reach > best_reach) best = q, best_reach = reach;
        }
        end_leg_at(route, route->next_legs[best].from);
    }
}

}  // namespace

void start_closest_route(ClosestRoute* route, double within_m, ClosestSink sink, LegStore* store) {
    *route = ClosestRoute{};
    route->within_m = within_m;
    route->sink = sink;
    route->store = store;
    double angle = within_m / core::earth_radius_m;
    route->sin_within = angle < core::pi / 2.0 ? core::cr_sin(angle) : 1.0;
    double below = angle - key_margin_rad, above = angle + key_margin_rad;
    route->key_surely_within = below <= 0.0 ? -1.0 : below >= core::pi ? 5.0 : chord_key(below);
    route->key_surely_beyond = above >= core::pi ? 5.0 : chord_key(above);
}

void take_closest_point(ClosestRoute* route, const core::TrackPoint& point, const UnitVector& position) {
    ++route->points_read;
    if (route->points_read == 1) {
        ++route->waypoint_count;
        route->start_index = 1;
        route->sink.take_waypoint(route, 1, point);
        start_stretch(&route->leg, -1, position);
        return;
    }
    route->store->points[slot_of(*route, route->count)] = {point.lat_deg, point.lon_deg, position};
    ++route->count;
    go_on(route);
}

void finish_closest_route(ClosestRoute* route) {
    route->track_ended = true;
    go_on(route);
}

bool within_leg(const ClosestRoute& route, const Leg& leg, const UnitVector& point) {
    LegPart nearest;
    double key = deviation_key(leg, point, &nearest);
    if (key <= route.key_surely_within) return true;
    if (key > route.key_surely_beyond) return false;
    return deviation_rad(leg, point) * core::earth_radius_m <= route.within_m;
}

}  // namespace preview
