// Whole tracks thinned by the thinning, whose decisions are mostly taken
// from bounds, and by the exact loop of the thinning as it was before the
// bounds: the same waypoints, handed over with the same track lengths and
// counts, under random thresholds. THINNING_DECISIONS sets the number of
// tracks (one per 400 decisions).
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "core/command_line.h"
#include "core/distance.h"
#include "core/thinning.h"
#include "core/waypoint_decision.h"
#include "tests/support/random_track.h"
#include "tests/support/test_support.h"

namespace {

using test_support::decision_count;
using test_support::destination;
using test_support::random_place;
using test_support::Random;
using test_support::rounded;
using test_support::unit;

// The waypoints handed over, with the track length and the points read
// at that moment.
struct Handed {
    double lat_deg, lon_deg, track_length_m;
    int points_read;
    bool operator==(const Handed& other) const {
        return test_support::bits_of(lat_deg) == test_support::bits_of(other.lat_deg) &&
               test_support::bits_of(lon_deg) == test_support::bits_of(other.lon_deg) &&
               test_support::bits_of(track_length_m) == test_support::bits_of(other.track_length_m) &&
               points_read == other.points_read;
    }
};

std::vector<Handed>* handed_to = nullptr;

void record(core::Thinning* thinning, core::TrackPoint* point) {
    handed_to->push_back({point->lat_deg, point->lon_deg, thinning->track_length_m, thinning->points_read});
}

std::vector<Handed> exact_thinning(const std::vector<core::TrackPoint>& track, const core::RunSettings& limits) {
    std::vector<Handed> handed;
    if (track.size() < 3) return handed;
    struct Hop {
        double m, deg;
    } leg, step;
    core::distance_and_bearing(track[0], track[1], &leg.m, &leg.deg);
    double reference = leg.deg, length = leg.m;
    size_t last = 0, candidate = 1;
    bool leg_is_step = false;
    for (size_t i = 2; i < track.size(); ++i) {
        int points = static_cast<int>(i) + 1;
        if (i > 2 && !leg_is_step) core::distance_and_bearing(track[last], track[candidate], &leg.m, &leg.deg);
        core::distance_and_bearing(track[candidate], track[i], &step.m, &step.deg);
        length += step.m;
        if (i == 2) handed.push_back({track[0].lat_deg, track[0].lon_deg, length, points});
        leg_is_step = core::waypoint_decision(limits, leg.m, leg.deg, step.m, step.deg, reference) != 0;
        if (leg_is_step) {
            handed.push_back({track[candidate].lat_deg, track[candidate].lon_deg, length, points});
            last = candidate;
            reference = step.deg;
            leg = step;
        }
        candidate = i;
    }
    handed.push_back({track[candidate].lat_deg, track[candidate].lon_deg, length, static_cast<int>(track.size())});
    return handed;
}

std::vector<core::TrackPoint> random_track(Random& random) {
    std::vector<core::TrackPoint> track;
    size_t points = 3 + random() % 400;
    core::TrackPoint at = random_place(random);
    double heading = 360.0 * unit(random);
    bool rounding = random() % 3 == 0;
    for (size_t i = 0; i < points; ++i) {
        track.push_back(rounding ? rounded(at) : at);
        double distance;
        switch (random() % 20) {
        case 0: distance = 0.0; break;
        case 1: distance = unit(random) * 3.0; heading = 360.0 * unit(random); break;
        case 2: distance = 1e3 + unit(random) * 5e4; break;
        case 3: heading += (unit(random) - 0.5) * 180.0; distance = 5.0 + 30.0 * unit(random); break;
        default: heading += (unit(random) - 0.5) * 4.0; distance = 5.0 + 30.0 * unit(random); break;
        }
        at = destination(at, distance, heading);
    }
    return track;
}

core::RunSettings random_limits(Random& random) {
    const double minimal[] = {0, 1, 5, 20, 100, -1};
    const double maximal[] = {50, 200, 1000, 1e5, 0, 1e9};
    const double angle[] = {0, 0.5, 2, 5, 30, 180};
    const double error[] = {0, 1, 10, 50, 500, -5};
    core::RunSettings limits = core::default_settings;
    limits.min_distance_m = minimal[random() % 6] * (random() & 1 ? 1.0 : 1.0 + unit(random));
    limits.max_distance_m = maximal[random() % 6] * (random() & 1 ? 1.0 : 1.0 + unit(random));
    limits.max_angle_deg = angle[random() % 6] * (random() & 1 ? 1.0 : 1.0 + unit(random));
    limits.max_orth_error_m = error[random() % 6] * (random() & 1 ? 1.0 : 1.0 + unit(random));
    if (random() % 50 == 0) limits.max_angle_deg = std::nan("");
    return limits;
}

TEST(ThinningShortcut, WholeTracksGiveTheExactWaypointsAndLengths) {
    Random random(2020);
    long long tracks = decision_count() / 400 + 20;
    for (long long n = 0; n < tracks; ++n) {
        std::vector<core::TrackPoint> track = random_track(random);
        core::RunSettings limits = random_limits(random);
        std::vector<Handed> handed;
        handed_to = &handed;
        static core::Thinning thinning;
        core::start_thinning(&thinning, limits, core::WaypointSink{record, nullptr});
        // Half the tracks with the hops measured by the caller, exactly, as
        // the preview's survey hands them over.
        bool measured_before = n % 2 == 1;
        for (size_t i = 0; i < track.size(); ++i) {
            thinning.lookahead = track[i];
            if (!measured_before || i == 0) {
                core::take_point(&thinning);
                continue;
            }
            double distance_m, bearing_deg;
            core::distance_and_bearing(track[i - 1], track[i], &distance_m, &bearing_deg);
            core::take_point_after_hop(&thinning, distance_m, bearing_deg);
        }
        core::finish_thinning(&thinning);
        handed_to = nullptr;
        ASSERT_TRUE(handed == exact_thinning(track, limits))
            << "track " << n << " of " << track.size() << " points, /m " << limits.min_distance_m << " /x "
            << limits.max_distance_m << " /a " << limits.max_angle_deg << " /e " << limits.max_orth_error_m;
    }
}

}  // namespace
