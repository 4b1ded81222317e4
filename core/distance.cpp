// Spherical law of cosines for the distance; the bearing from the same
// cosine of the central angle.
#include "core/distance.h"

#include <cmath>

#include "core/cr_math.h"
#include "core/cr_math_inline.h"

namespace core {

namespace {

// Below this cosine of its latitude (some 6e-11 degrees from the pole) the
// from-point counts as on the pole.
constexpr double pole_cosine = 1e-12;

constexpr double quarter_turn_half_rad = 0.78539816339744828;  // pi/4, rounded down

double clamp_unit(double value) {
    if (value > 1.0) return 1.0;
    if (value < -1.0) return -1.0;
    return value;
}

// Everything of a hop but its two arc cosines: the distance is
// cr_acos(distance_argument) * earth_radius_m; the bearing is
// along_meridian_deg where the hop runs along a meridian, else
// cr_acos(bearing_argument) * degrees_per_radian, negated to the west.
struct HopArguments {
    double distance_argument;
    bool along_meridian;
    double along_meridian_deg;
    double bearing_argument;
    bool west;
};

[[gnu::always_inline]] inline HopArguments hop_arguments(const TrackPoint& p, const TrackPoint& q) {
    HopArguments hop;
    double cos_c = cr_cos_inline(p.lon_rad - q.lon_rad) * (p.cos_lat * q.cos_lat) + (p.sin_lat * q.sin_lat);
    // Rounding can push the cosine of a tiny (or nearly antipodal) angle
    // past +-1, where the arc cosine has no value.
    hop.distance_argument = clamp_unit(cos_c);

    double dlon = q.lon_rad - p.lon_rad;
    hop.along_meridian_deg = p.lat_rad > q.lat_rad ? 180.0 : 0.0;
    hop.along_meridian = true;
    hop.bearing_argument = 1.0;
    hop.west = false;
    if (std::fabs(dlon) < meridian_threshold_rad) return hop;
    // The denominator vanishes (or turns the square root negative) when the
    // cosine rounds to +-1 or the from-point sits on a pole; the meridian
    // rule then gives the sound direction: from a pole every hop runs along
    // a meridian, and a hop too short to measure has no side to turn to.
    double denominator = std::sqrt(1.0 - cos_c * cos_c) * p.cos_lat;
    if (std::fabs(p.cos_lat) < pole_cosine || denominator == 0.0 || !std::isfinite(denominator))
        return hop;
    hop.along_meridian = false;
    hop.bearing_argument = clamp_unit((q.sin_lat - p.sin_lat * cos_c) / denominator);
    // Only the sign of sin(dlon) counts; up to pi/4 it is the sign of dlon
    // itself, without the sine.
    double side = std::fabs(dlon) <= quarter_turn_half_rad ? dlon : cr_sin(dlon);
    hop.west = side < 0.0;
    return hop;
}

// Bounds on cr_acos(argument) * scale: the product with a positive scale
// is monotonic, and with a negative one too, the other way round.
[[gnu::always_inline]] inline BoundedValue bounded_acos(double argument, double scale) {
    double lo, hi;
    acos_bounds(argument, &lo, &hi);
    if (scale < 0.0) return {hi * scale, lo * scale, argument, scale};
    return {lo * scale, hi * scale, argument, scale};
}

[[gnu::always_inline]] inline BoundedValue pending_acos(double argument, double scale) {
    return {-HUGE_VAL, HUGE_VAL, argument, scale};
}

[[gnu::always_inline]] inline void bound_hop(const HopArguments& arguments, HopBounds* hop,
                                             bool bound_distance, bool bound_bearing) {
    // The arc cosine is never negative, so the distance's absolute value
    // changes nothing.
    hop->distance_m = bound_distance ? bounded_acos(arguments.distance_argument, earth_radius_m)
                                     : pending_acos(arguments.distance_argument, earth_radius_m);
    double scale = arguments.west ? -degrees_per_radian : degrees_per_radian;
    if (arguments.along_meridian) hop->bearing_deg = known_value(arguments.along_meridian_deg);
    else if (bound_bearing) hop->bearing_deg = bounded_acos(arguments.bearing_argument, scale);
    else hop->bearing_deg = pending_acos(arguments.bearing_argument, scale);
}

}  // namespace

void distance_and_bearing(const TrackPoint& p, const TrackPoint& q, double* distance_m,
                          double* bearing_deg) {
    HopArguments hop = hop_arguments(p, q);
    *distance_m = std::fabs(cr_acos(hop.distance_argument) * earth_radius_m);
    if (hop.along_meridian) {
        *bearing_deg = hop.along_meridian_deg;
        return;
    }
    double bearing = cr_acos(hop.bearing_argument) * degrees_per_radian;
    *bearing_deg = hop.west ? -bearing : bearing;
}

// -(A * s) is A * -s, bit for bit: rounding to nearest is symmetric.
double compute_exact_value(BoundedValue* value) {
    double exact = cr_acos(value->acos_argument) * value->scale;
    value->lo = exact;
    value->hi = exact;
    return exact;
}

void compute_bounds(BoundedValue* value) { *value = bounded_acos(value->acos_argument, value->scale); }

void measure_hop(const TrackPoint& p, const TrackPoint& q, HopBounds* hop) {
    bound_hop(hop_arguments(p, q), hop, true, true);
}

void measure_step(const TrackPoint& p, const TrackPoint& q, HopBounds* hop) {
    bound_hop(hop_arguments(p, q), hop, true, false);
}

void measure_hops(const TrackPoint& p, const TrackPoint& q, const TrackPoint& r, HopBounds* pq,
                  HopBounds* qr) {
    HopArguments first = hop_arguments(p, q), second = hop_arguments(q, r);
    bound_hop(first, pq, false, false);
    bound_hop(second, qr, true, false);
}

}  // namespace core
