// The thinning's shortcut against its exact path. Decisions taken from
// bounds, from the sectors and from values whose bounds are still pending
// must be those of waypoint_decision on the exact values, most of all
// where a value lies within a few ulps of its threshold (whole tracks are
// in whole_track_thinning_test.cpp); and a bound narrowed below its
// proven error must be caught. THINNING_DECISIONS
// sets the number of decisions (default 400000; 10^8 for a long run).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "core/command_line.h"
#include "core/cr_math.h"
#include "core/cr_math_inline.h"
#include "core/distance.h"
#include "core/thinning.h"
#include "tests/support/random_track.h"
#include "tests/support/test_support.h"

namespace {

using test_support::decision_count;
using test_support::destination;
using test_support::random_place;
using test_support::Random;
using test_support::rounded;
using test_support::unit;

// value moved by ulps units in the last place, up or down.
double nudged(double value, int ulps) {
    for (; ulps > 0; --ulps) value = std::nextafter(value, HUGE_VAL);
    for (; ulps < 0; ++ulps) value = std::nextafter(value, -HUGE_VAL);
    return value;
}

int small_ulps(Random& random) { return static_cast<int>(random() % 9) - 4; }

// Mostly metres to kilometres, now and then nothing or a long way.
double random_distance(Random& random) {
    switch (random() % 16) {
    case 0: return 0.0;
    case 1: return 1e4 + unit(random) * 3e5;
    default: return std::pow(10.0, -3.0 + 7.0 * unit(random));
    }
}

// The comparisons the thresholds are packed against.
enum Target {
    step_minimum,
    leg_minimum,
    leg_maximum,
    turn,
    offset,
    turn_sector_edge,
    offset_sector_edge,
    near_cosine_edge,
    target_count
};
const char* const target_names[] = {"step vs /m",        "leg vs /m",          "leg vs /x",
                                    "turn vs /a",        "offset vs /e",       "turn sector edge",
                                    "offset sector edge", "leg near /x cosine"};

struct Tally {
    long long decisions[target_count] = {};
    long long differ[target_count] = {};
    std::string first_difference;
};

struct ExactValues {
    double leg_m, leg_deg, step_m, step_deg, reference_deg;
};

double exact_turn(const ExactValues& v) { return core::fold_angle(std::fabs(v.step_deg - v.reference_deg)); }

double exact_offset(const ExactValues& v) {
    double angle = core::fold_angle(std::fabs(v.leg_deg - v.reference_deg)) * core::radians_per_degree;
    return v.leg_m * core::cr_tan(angle);
}

// Thresholds that let the decision reach the targeted comparison, with
// the threshold there within a few ulps of the exact value, and make its
// outcome the answer: the tests after it do not fire, and after the
// minimal distance the turn always does.
core::RunSettings packed_limits(Target target, const ExactValues& v, Random& random) {
    core::RunSettings limits = core::default_settings;
    limits.min_distance_m = 0.0;
    limits.max_distance_m = 1e12;
    limits.max_angle_deg = target == step_minimum || target == leg_minimum ? -1.0 : 360.0;
    limits.max_orth_error_m = 1e12;
    switch (target) {
    case step_minimum: limits.min_distance_m = nudged(v.step_m, small_ulps(random)); break;
    case leg_minimum: limits.min_distance_m = nudged(v.leg_m, small_ulps(random)); break;
    case leg_maximum: limits.max_distance_m = nudged(v.leg_m, small_ulps(random)); break;
    case turn: limits.max_angle_deg = nudged(exact_turn(v), small_ulps(random)); break;
    default: limits.max_orth_error_m = nudged(exact_offset(v), small_ulps(random)); break;
    }
    return limits;
}

void tally(Tally* tally, Target target, int got, int expected, const std::string& what) {
    ++tally->decisions[target];
    if (got == expected) return;
    if (tally->differ[target]++ == 0 && tally->first_difference.empty())
        tally->first_difference = std::string(target_names[target]) + ": " + what;
}

std::string describe(const core::RunSettings& limits, const ExactValues& v) {
    char text[400];
    std::snprintf(text, sizeof text, "leg %a m %a deg, step %a m %a deg, reference %a; /m %a /x %a /a %a /e %a",
                  v.leg_m, v.leg_deg, v.step_m, v.step_deg, v.reference_deg, limits.min_distance_m,
                  limits.max_distance_m, limits.max_angle_deg, limits.max_orth_error_m);
    return text;
}

// A configuration of track points: last waypoint, candidate, lookahead
// and the point that set the reference bearing, measured both ways.
void geometric_decision(Random& random, Tally* result) {
    core::TrackPoint waypoint = random_place(random);
    double leg_bearing = 360.0 * unit(random) - 180.0;
    Target target = static_cast<Target>(random() % 5);
    // The other distance shorter, where the minimal distance is packed.
    double leg_m = target == step_minimum ? random_distance(random) * 1e-3 : random_distance(random);
    core::TrackPoint candidate = destination(waypoint, leg_m, leg_bearing);
    double step_m = target == leg_minimum ? random_distance(random) * 1e-3 : random_distance(random);
    core::TrackPoint lookahead = destination(candidate, step_m, leg_bearing + (unit(random) - 0.5) * 40.0);
    core::TrackPoint heading = destination(waypoint, random_distance(random), leg_bearing + (unit(random) - 0.5) * 20.0);
    if (random() % 4 == 0) {
        candidate = rounded(candidate);
        lookahead = rounded(lookahead);
    }
    ExactValues v;
    double unused;
    core::distance_and_bearing(waypoint, candidate, &v.leg_m, &v.leg_deg);
    core::distance_and_bearing(candidate, lookahead, &v.step_m, &v.step_deg);
    core::distance_and_bearing(waypoint, heading, &unused, &v.reference_deg);
    core::RunSettings limits = packed_limits(target, v, random);

    core::HopBounds leg, step, reference;
    int road = static_cast<int>(random() % 4);
    if (road == 0) {
        core::measure_hop(waypoint, candidate, &leg);
        core::measure_hop(candidate, lookahead, &step);
    } else {
        core::measure_hops(waypoint, candidate, lookahead, &leg, &step);
    }
    core::measure_hop(waypoint, heading, &reference);
    core::DecisionSectors sectors{};
    int got = core::bounded_waypoint_decision(limits, &leg.distance_m, &leg.bearing_deg, &step.distance_m,
                                              &step.bearing_deg, &reference.bearing_deg, false,
                                              road == 3 ? nullptr : &sectors);
    int expected = core::waypoint_decision(limits, v.leg_m, v.leg_deg, v.step_m, v.step_deg, v.reference_deg);
    tally(result, target, got, expected, describe(limits, v));
}

// A value from the argument of its arc cosine, with its bounds taken or
// pending.
core::BoundedValue value_of(double argument, double scale, bool pending) {
    core::BoundedValue value = {-HUGE_VAL, HUGE_VAL, argument, scale};
    if (!pending) core::ensure_bounds(&value);
    return value;
}

double exact_of(double argument, double scale) { return core::cr_acos(argument) * scale; }

// Cosines of central angles: of hops from millimetres to a few hundred
// kilometres, and now and then of any angle.
double distance_argument(Random& random) {
    if (random() % 8 == 0) return 2.0 * unit(random) - 1.0;
    return 1.0 - std::ldexp(1.0 + unit(random), -static_cast<int>(10 + random() % 44));
}

double bearing_argument(Random& random) {
    switch (random() % 4) {
    case 0: return 1.0 - std::ldexp(unit(random), -static_cast<int>(random() % 50));
    case 1: return -1.0 + std::ldexp(unit(random), -static_cast<int>(random() % 50));
    default: return 2.0 * unit(random) - 1.0;
    }
}

double bearing_scale(Random& random) {
    return random() & 1 ? -core::degrees_per_radian : core::degrees_per_radian;
}

// Values made up directly from arguments: the comparisons at the ends of
// the sectors and of the nearest cosine, which the geometry seldom hits.
void synthetic_decision(Random& random, Tally* result) {
    Target target = static_cast<Target>(random() % target_count);
    double leg_c = distance_argument(random), step_c = distance_argument(random);
    double leg_x = bearing_argument(random), step_x = bearing_argument(random);
    double leg_scale = bearing_scale(random), step_scale = bearing_scale(random);
    core::BoundedValue reference;
    switch (random() % 4) {
    case 0: reference = core::known_value(random() & 1 ? 0.0 : 180.0); break;
    case 1: reference = core::known_value(360.0 * unit(random) - 180.0); break;
    default: reference = value_of(bearing_argument(random), bearing_scale(random), false); break;
    }
    double reference_deg = core::exact_value(&reference);
    core::RunSettings limits = core::default_settings;
    if (target >= turn_sector_edge) {
        // The sector of the other value's side, worked out by a first
        // decision, and an argument a few ulps from one of its ends.
        limits.min_distance_m = 0.0;
        limits.max_distance_m = target == turn_sector_edge ? 1e12 : 200.0 + 2000.0 * unit(random);
        limits.max_angle_deg = target == turn_sector_edge ? 0.5 + 30.0 * unit(random) : 360.0;
        limits.max_orth_error_m = target == turn_sector_edge ? 1e12 : limits.max_distance_m * 0.3 * unit(random);
        if (target == near_cosine_edge) limits.max_angle_deg = 360.0;
        // A leg the offset test is reached with.
        if (target == offset_sector_edge) leg_c = core::cr_cos(unit(random) * limits.max_distance_m / core::earth_radius_m);
        core::DecisionSectors sectors{};
        core::BoundedValue leg_d = value_of(leg_c, core::earth_radius_m, true);
        core::BoundedValue leg_b = value_of(leg_x, leg_scale, true), step_d = value_of(step_c, core::earth_radius_m, false);
        core::BoundedValue step_b = value_of(step_x, step_scale, true), ref = reference;
        core::bounded_waypoint_decision(limits, &leg_d, &leg_b, &step_d, &step_b, &ref, false, &sectors);
        int side = (target == turn_sector_edge ? step_scale : leg_scale) < 0.0 ? 1 : 0;
        const core::BearingSector& sector = target == turn_sector_edge ? sectors.turn : sectors.offset;
        if (target == near_cosine_edge) {
            if (sectors.near_state == core::sector_holds) leg_c = nudged(sectors.near_cosine, small_ulps(random));
        } else if (sector.state[side] == core::sector_holds) {
            double end = random() & 1 ? sector.x_lo[side] : sector.x_hi[side];
            (target == turn_sector_edge ? step_x : leg_x) = std::fmax(-1.0, std::fmin(1.0, nudged(end, small_ulps(random))));
        }
    }
    ExactValues v = {exact_of(leg_c, core::earth_radius_m), exact_of(leg_x, leg_scale),
                     exact_of(step_c, core::earth_radius_m), exact_of(step_x, step_scale), reference_deg};
    if (target < turn_sector_edge) limits = packed_limits(target, v, random);
    bool pending = random() % 4 != 0;
    core::BoundedValue leg_d = value_of(leg_c, core::earth_radius_m, pending);
    core::BoundedValue leg_b = value_of(leg_x, leg_scale, pending);
    core::BoundedValue step_d = value_of(step_c, core::earth_radius_m, false);
    core::BoundedValue step_b = value_of(step_x, step_scale, pending);
    core::DecisionSectors sectors{};
    int got = core::bounded_waypoint_decision(limits, &leg_d, &leg_b, &step_d, &step_b, &reference, false,
                                              random() % 4 == 0 ? nullptr : &sectors);
    int expected = core::waypoint_decision(limits, v.leg_m, v.leg_deg, v.step_m, v.step_deg, v.reference_deg);
    tally(result, target, got, expected, describe(limits, v));
}

Tally run_decisions(long long count, uint64_t seed) {
    Random random(seed);
    Tally result;
    for (long long i = 0; i < count; ++i) {
        if (i % 2 == 0) geometric_decision(random, &result);
        else synthetic_decision(random, &result);
    }
    return result;
}

TEST(ThinningShortcut, DecidesAsTheExactValuesNearEveryThreshold) {
    long long count = decision_count();
    Tally result = run_decisions(count, 2012);
    for (int target = 0; target < target_count; ++target) {
        EXPECT_EQ(0, result.differ[target]) << target_names[target] << " of " << result.decisions[target];
        // Every kind is met often enough to mean something.
        EXPECT_GT(result.decisions[target], count / 40) << target_names[target];
    }
    EXPECT_EQ("", result.first_difference);
}

// The mutations: a margin below the estimate's proven error must change
// decisions at the thresholds it serves, or the test above would not see a
// wrong bound.
class NarrowedMargin : public ::testing::Test {
protected:
    void TearDown() override { core::acos_margins = saved; }
    core::AcosMargins saved = core::acos_margins;
};

TEST_F(NarrowedMargin, DistanceBoundsAreCaught) {
    core::acos_margins.relative = 0.0;
    Tally result = run_decisions(decision_count() / 4, 77);
    for (Target target : {step_minimum, leg_minimum, leg_maximum})
        EXPECT_GT(result.differ[target], 0) << target_names[target];
}

TEST_F(NarrowedMargin, BearingBoundsAreCaught) {
    core::acos_margins.absolute = 0x1p-52;
    Tally result = run_decisions(decision_count() / 4, 78);
    for (Target target : {turn, offset})
        EXPECT_GT(result.differ[target], 0) << target_names[target];
}

// The same bounds hold cr_acos itself, on every kind of argument; the
// estimate, narrowed, does not.
TEST(AcosBounds, HoldTheCorrectlyRoundedArcCosine) {
    Random random(31);
    long long count = decision_count(), outside = 0;
    for (long long i = 0; i < count; ++i) {
        double x = i % 3 == 0 ? distance_argument(random) : bearing_argument(random);
        double lo, hi, exact = core::cr_acos(x);
        core::acos_bounds(x, &lo, &hi);
        if (!(lo <= exact && exact <= hi) && ++outside <= 5) ADD_FAILURE() << std::hexfloat << x;
        ASSERT_LE(hi - lo, 0x1p-43);
    }
    EXPECT_EQ(0, outside);
}

}  // namespace
