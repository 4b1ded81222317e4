// Distances from a point to a leg on the unit sphere, from chords, dot
// products and cross products. The leg's normal is taken as
// (start + end) x (end - start), twice start x end: the difference of two
// close unit vectors is exact, so the normal of a leg a few centimetres
// long keeps its full precision, where start x end itself would lose it
// to cancellation.
#include "preview/leg_distance.h"

#include <cmath>

#include "core/cr_math.h"
#include "core/track_point.h"

namespace preview {

namespace {

// Below this length of start + end the ends lie opposite each other
// (within some 10 m), and no single great circle runs through both.
constexpr double opposite_ends = 1e-6;

double dot(const UnitVector& a, const UnitVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

UnitVector cross(const UnitVector& a, const UnitVector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

UnitVector plus(const UnitVector& a, const UnitVector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

UnitVector minus(const UnitVector& a, const UnitVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

double length(const UnitVector& a) { return std::sqrt(dot(a, a)); }

// The vector scaled to length 1, scaled first by its largest component so
// that no square underflows; false for the zero vector.
bool normalise(UnitVector* a) {
    double largest = std::fmax(std::fabs(a->x), std::fmax(std::fabs(a->y), std::fabs(a->z)));
    if (!(largest > 0.0) || !std::isfinite(largest)) return false;
    UnitVector scaled = {a->x / largest, a->y / largest, a->z / largest};
    double size = length(scaled);
    *a = {scaled.x / size, scaled.y / size, scaled.z / size};
    return true;
}

// asin x for 0 <= x <= 0.71: there the arc cosine lies between 0.78 and
// pi/2, so the difference is exact to a few units in the last place of
// pi/2, some 2e-16 absolute.
double small_asin(double x) { return core::pi / 2 - core::cr_acos(x); }

}  // namespace

UnitVector unit_vector(const core::TrackPoint& point) {
    double sine = 0.0, cosine = 0.0;
    core::cr_sin_cos(point.lon_rad, &sine, &cosine);
    return {point.cos_lat * cosine, point.cos_lat * sine, point.sin_lat};
}

double central_angle_rad(const UnitVector& u, const UnitVector& v) {
    // The chords to v and to its opposite: for unit vectors their squares
    // add up to 4, so the shorter is at most sqrt 2 and its half-angle's
    // sine at most 0.71.
    double near_chord = length(minus(u, v));
    double far_chord = length(plus(u, v));
    if (near_chord <= far_chord) return 2.0 * small_asin(near_chord / 2.0);
    return core::pi - 2.0 * small_asin(far_chord / 2.0);
}

void start_leg(Leg* leg, const UnitVector& start, const UnitVector& end) {
    leg->start = start;
    leg->end = end;
    UnitVector sum = plus(start, end);
    UnitVector normal = cross(sum, minus(end, start));
    leg->has_direction = length(sum) >= opposite_ends && normalise(&normal);
    if (!leg->has_direction) normal = {0.0, 0.0, 0.0};
    leg->normal = normal;
    leg->start_tangent = cross(normal, start);
    leg->end_tangent = cross(normal, end);
}

double deviation_key(const Leg& leg, const UnitVector& point, LegPart* nearest) {
    if (leg.has_direction && dot(point, leg.start_tangent) >= 0.0 && dot(point, leg.end_tangent) <= 0.0) {
        // The chord of the cross-track angle: 2 - 2 cos, with the sine s
        // known.
        double s = dot(point, leg.normal);
        double square = s * s;
        *nearest = LegPart::arc;
        return 2.0 * square / (1.0 + std::sqrt(std::fmax(0.0, 1.0 - square)));
    }
    UnitVector to_start = minus(point, leg.start), to_end = minus(point, leg.end);
    double start_key = dot(to_start, to_start), end_key = dot(to_end, to_end);
    *nearest = end_key < start_key ? LegPart::end : LegPart::start;
    return end_key < start_key ? end_key : start_key;
}

double deviation_rad(const Leg& leg, const UnitVector& point) {
    LegPart nearest;
    deviation_key(leg, point, &nearest);
    if (nearest == LegPart::start) return central_angle_rad(point, leg.start);
    if (nearest == LegPart::end) return central_angle_rad(point, leg.end);
    double s = std::fabs(dot(point, leg.normal));
    if (s <= 0.7) return small_asin(s);
    // Far off the great circle: the cosine of the cross-track angle is
    // the length of point x normal, well away from 1.
    return core::cr_acos(std::fmin(1.0, length(cross(point, leg.normal))));
}

double nearest_fraction(const Leg& leg, const UnitVector& point) {
    LegPart nearest;
    deviation_key(leg, point, &nearest);
    if (nearest == LegPart::start) return 0.0;
    if (nearest == LegPart::end) return 1.0;
    double s = dot(point, leg.normal);
    UnitVector foot = {point.x - s * leg.normal.x, point.y - s * leg.normal.y, point.z - s * leg.normal.z};
    double whole = central_angle_rad(leg.start, leg.end);
    if (!normalise(&foot) || !(whole > 0.0)) return 0.0;
    return std::fmin(1.0, central_angle_rad(leg.start, foot) / whole);
}

}  // namespace preview
