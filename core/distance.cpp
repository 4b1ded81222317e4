// Spherical law of cosines for the distance; the bearing from the same
// cosine of the central angle.
#include "core/distance.h"

#include <cmath>

#include "core/cr_math.h"

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

}  // namespace

void distance_and_bearing(const TrackPoint& p, const TrackPoint& q, double* distance_m,
                          double* bearing_deg) {
    double cos_c = cr_cos(p.lon_rad - q.lon_rad) * (p.cos_lat * q.cos_lat) + (p.sin_lat * q.sin_lat);
    // Rounding can push the cosine of a tiny (or nearly antipodal) angle
    // past +-1, where the arc cosine has no value.
    double central_angle = cr_acos(clamp_unit(cos_c));
    *distance_m = std::fabs(central_angle * earth_radius_m);

    double dlon = q.lon_rad - p.lon_rad;
    double along_meridian = p.lat_rad > q.lat_rad ? 180.0 : 0.0;
    if (std::fabs(dlon) < meridian_threshold_rad) {
        *bearing_deg = along_meridian;
        return;
    }
    // The denominator vanishes (or turns the square root negative) when the
    // cosine rounds to +-1 or the from-point sits on a pole; the meridian
    // rule then gives the sound direction: from a pole every hop runs along
    // a meridian, and a hop too short to measure has no side to turn to.
    double denominator = std::sqrt(1.0 - cos_c * cos_c) * p.cos_lat;
    if (std::fabs(p.cos_lat) < pole_cosine || denominator == 0.0 || !std::isfinite(denominator)) {
        *bearing_deg = along_meridian;
        return;
    }
    double x = (q.sin_lat - p.sin_lat * cos_c) / denominator;
    double bearing = cr_acos(clamp_unit(x)) * degrees_per_radian;
    // Only the sign of sin(dlon) counts; up to pi/4 it is the sign of dlon
    // itself, without the sine.
    double side = std::fabs(dlon) <= quarter_turn_half_rad ? dlon : cr_sin(dlon);
    if (side < 0.0) bearing = -bearing;
    *bearing_deg = bearing;
}

}  // namespace core
