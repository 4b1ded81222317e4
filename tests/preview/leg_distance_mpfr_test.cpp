// The distance from a point to a leg against the exact spherical value,
// computed with MPFR at 256 bits from the same degrees: legs from a
// millimetre to thousands of kilometres, points on them, beside them and
// beyond their ends, near the poles and across the 180th meridian, and
// legs of length zero. LEG_DISTANCE_CASES sets the count (default 2*10^5).
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <gtest/gtest.h>
#include <mpfr.h>
#include <random>

#include "core/distance.h"
#include "preview/leg_distance.h"
#include "tests/support/test_support.h"

namespace {

constexpr int bits = 256;

struct Exact {
    mpfr_t x, y, z;
    Exact() { mpfr_inits2(bits, x, y, z, (mpfr_ptr)nullptr); }
    ~Exact() { mpfr_clears(x, y, z, (mpfr_ptr)nullptr); }
    Exact(const Exact&) = delete;
    Exact& operator=(const Exact&) = delete;
};

struct Scratch {
    mpfr_t a, b, c, pi;
    Scratch() {
        mpfr_inits2(bits, a, b, c, pi, (mpfr_ptr)nullptr);
        mpfr_const_pi(pi, MPFR_RNDN);
    }
    ~Scratch() { mpfr_clears(a, b, c, pi, (mpfr_ptr)nullptr); }
};

Scratch scratch;

void set_position(Exact* v, double lat_deg, double lon_deg) {
    mpfr_t lat, lon, cos_lat;
    mpfr_inits2(bits, lat, lon, cos_lat, (mpfr_ptr)nullptr);
    mpfr_set_d(lat, lat_deg, MPFR_RNDN);
    mpfr_mul(lat, lat, scratch.pi, MPFR_RNDN);
    mpfr_div_ui(lat, lat, 180, MPFR_RNDN);
    mpfr_set_d(lon, lon_deg, MPFR_RNDN);
    mpfr_mul(lon, lon, scratch.pi, MPFR_RNDN);
    mpfr_div_ui(lon, lon, 180, MPFR_RNDN);
    mpfr_cos(cos_lat, lat, MPFR_RNDN);
    mpfr_sin(v->z, lat, MPFR_RNDN);
    mpfr_cos(v->x, lon, MPFR_RNDN);
    mpfr_mul(v->x, v->x, cos_lat, MPFR_RNDN);
    mpfr_sin(v->y, lon, MPFR_RNDN);
    mpfr_mul(v->y, v->y, cos_lat, MPFR_RNDN);
    mpfr_clears(lat, lon, cos_lat, (mpfr_ptr)nullptr);
}

void cross(Exact* out, const Exact& u, const Exact& v) {
    mpfr_t t;
    mpfr_init2(t, bits);
    mpfr_mul(out->x, u.y, v.z, MPFR_RNDN);
    mpfr_mul(t, u.z, v.y, MPFR_RNDN);
    mpfr_sub(out->x, out->x, t, MPFR_RNDN);
    mpfr_mul(out->y, u.z, v.x, MPFR_RNDN);
    mpfr_mul(t, u.x, v.z, MPFR_RNDN);
    mpfr_sub(out->y, out->y, t, MPFR_RNDN);
    mpfr_mul(out->z, u.x, v.y, MPFR_RNDN);
    mpfr_mul(t, u.y, v.x, MPFR_RNDN);
    mpfr_sub(out->z, out->z, t, MPFR_RNDN);
    mpfr_clear(t);
}

void dot(mpfr_t out, const Exact& u, const Exact& v) {
    mpfr_t t;
    mpfr_init2(t, bits);
    mpfr_mul(out, u.x, v.x, MPFR_RNDN);
    mpfr_mul(t, u.y, v.y, MPFR_RNDN);
    mpfr_add(out, out, t, MPFR_RNDN);
    mpfr_mul(t, u.z, v.z, MPFR_RNDN);
    mpfr_add(out, out, t, MPFR_RNDN);
    mpfr_clear(t);
}

void norm(mpfr_t out, const Exact& u) {
    dot(out, u, u);
    mpfr_sqrt(out, out, MPFR_RNDN);
}

// The angle between two unit vectors: atan2(|u x v|, u . v), well
// conditioned everywhere.
double exact_angle(const Exact& u, const Exact& v) {
    Exact w;
    cross(&w, u, v);
    norm(scratch.a, w);
    dot(scratch.b, u, v);
    mpfr_atan2(scratch.c, scratch.a, scratch.b, MPFR_RNDN);
    return mpfr_get_d(scratch.c, MPFR_RNDN);
}

// The deviation as defined: the cross-track angle where the point's foot
// lies within the leg, else the angle to the nearer end; to the point for
// a leg whose ends coincide.
double exact_deviation(const Exact& a, const Exact& b, const Exact& p) {
    Exact n, ap, pb;
    cross(&n, a, b);
    norm(scratch.a, n);
    if (mpfr_zero_p(scratch.a)) return exact_angle(p, a);
    cross(&ap, a, p);
    cross(&pb, p, b);
    dot(scratch.b, ap, n);
    dot(scratch.c, pb, n);
    if (mpfr_sgn(scratch.b) >= 0 && mpfr_sgn(scratch.c) >= 0) {
        mpfr_t s;
        mpfr_init2(s, bits);
        dot(s, p, n);
        mpfr_abs(s, s, MPFR_RNDN);
        mpfr_div(s, s, scratch.a, MPFR_RNDN);
        mpfr_asin(s, s, MPFR_RNDN);
        double angle = mpfr_get_d(s, MPFR_RNDN);
        mpfr_clear(s);
        return angle;
    }
    return std::fmin(exact_angle(p, a), exact_angle(p, b));
}

struct Degrees {
    double lat, lon;
};

// Where a hop of distance_m along the initial bearing from `from` ends
// (long double; only the inputs are made this way).
Degrees destination(Degrees from, double bearing_rad, double distance_m) {
    const long double to_rad = 3.14159265358979323846264338327950288L / 180;
    long double lat = from.lat * to_rad, lon = from.lon * to_rad, angle = distance_m / core::earth_radius_m;
    long double lat2 = asinl(sinl(lat) * cosl(angle) + cosl(lat) * sinl(angle) * cosl(bearing_rad));
    long double lon2 = lon + atan2l(sinl(bearing_rad) * sinl(angle) * cosl(lat),
                                    cosl(angle) - sinl(lat) * sinl(lat2));
    double lon_deg = static_cast<double>(lon2 / to_rad);
    while (lon_deg > 180.0) lon_deg -= 360.0;
    while (lon_deg < -180.0) lon_deg += 360.0;
    return {static_cast<double>(lat2 / to_rad), lon_deg};
}

long long case_count() {
    const char* text = std::getenv("LEG_DISTANCE_CASES");
    return text != nullptr ? std::atoll(text) : 200000;
}

TEST(LegDistanceAgainstMpfr, WithinACentimetreOfTheExactValue) {
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto log_uniform = [&](double low, double high) { return low * std::pow(high / low, unit(random)); };
    const double two_pi = 6.283185307179586;
    long long count = case_count();
    double worst_m = 0.0;
    for (long long i = 0; i < count; ++i) {
        Degrees a = {unit(random) * 180.0 - 90.0, unit(random) * 360.0 - 180.0};
        if (i % 4 == 1) a.lat = (i % 8 == 1 ? 1 : -1) * (90.0 - log_uniform(1e-9, 0.05));
        if (i % 4 == 2) a.lon = (i % 8 == 2 ? 1 : -1) * (180.0 - log_uniform(1e-9, 0.05));
        double bearing = unit(random) * two_pi;
        double leg_m = i % 20 == 0 ? 0.0 : i % 20 == 1 ? log_uniform(1e5, 5e6) : log_uniform(1e-3, 1e5);
        Degrees b = leg_m == 0.0 ? a : destination(a, bearing, leg_m);
        double along = unit(random) * 2.0 - 0.5;
        double side = (unit(random) < 0.5 ? -1 : 1) * (i % 10 == 3 ? 0.0 : log_uniform(1e-3, 2e4));
        Degrees p = destination(destination(a, bearing, along * (leg_m > 0 ? leg_m : 100.0)),
                                bearing + two_pi / 4, side);

        core::TrackPoint pa = test_support::point_at(a.lat, a.lon), pb = test_support::point_at(b.lat, b.lon),
                         pp = test_support::point_at(p.lat, p.lon);
        preview::Leg leg;
        preview::start_leg(&leg, preview::unit_vector(pa), preview::unit_vector(pb));
        double ours_m = preview::deviation_rad(leg, preview::unit_vector(pp)) * core::earth_radius_m;

        Exact ea, eb, ep;
        set_position(&ea, a.lat, a.lon);
        set_position(&eb, b.lat, b.lon);
        set_position(&ep, p.lat, p.lon);
        double exact_m = exact_deviation(ea, eb, ep) * core::earth_radius_m;
        double error_m = std::fabs(ours_m - exact_m);
        if (error_m > worst_m) worst_m = error_m;
        if (!(error_m <= 0.01))
            ADD_FAILURE() << std::setprecision(17) << a.lat << "," << a.lon << " " << b.lat << "," << b.lon << " "
                          << p.lat << "," << p.lon << ": " << ours_m << " m, exact " << exact_m;
    }
    std::printf("largest error of %lld distances: %.3g m\n", count, worst_m);
    EXPECT_LT(worst_m, 1e-6);
}

}  // namespace
