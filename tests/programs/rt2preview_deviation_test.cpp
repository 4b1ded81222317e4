// rt2preview's largest deviation end to end: the line it prints against a
// brute force over the track held here, in every format, on winding roads
// and on the tracks where the measure is easy to get wrong; --within's
// choice from the sweep and the route its command line writes.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/programs/preview_test.h"

namespace {

using namespace preview_test;

constexpr double earth_radius_m = 6371032.0;
constexpr double metres_per_degree = 111195.0;

// The coordinates as each converter's reader takes them from the text the
// track was written as.
std::vector<Fix> as_read(const Format& format, const std::vector<Fix>& fixes) {
    std::vector<Fix> points;
    std::string converter = format.converter;
    auto from_minutes = [](double degrees) {
        double whole = std::floor(std::fabs(degrees));
        double value = whole + std::strtod(minutes_text(degrees).c_str(), nullptr) / 60;
        return degrees < 0 ? -value : value;
    };
    auto from_semicircles = [](double degrees) {
        return static_cast<double>(std::llround(degrees * 2147483648.0 / 180.0)) * (180.0 / 2147483648.0);
    };
    auto from_decimals = [](double degrees) {
        char text[32];
        std::snprintf(text, sizeof text, "%.7f", degrees);
        return std::strtod(text, nullptr);
    };
    for (const Fix& f : fixes) {
        if (converter == "Tolvek") points.push_back({from_minutes(f.lat), from_minutes(f.lon)});
        else if (converter == "Brisham") points.push_back({from_semicircles(f.lat), from_semicircles(f.lon)});
        else points.push_back({from_decimals(f.lat), from_decimals(f.lon)});
    }
    return points;
}

struct Vector {
    long double x, y, z;
};

Vector position(const Fix& f) {
    const long double to_rad = 3.14159265358979323846264338327950288L / 180;
    long double lat = f.lat * to_rad, lon = f.lon * to_rad;
    return {cosl(lat) * cosl(lon), cosl(lat) * sinl(lon), sinl(lat)};
}

Vector cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

long double dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

long double norm(const Vector& a) { return sqrtl(dot(a, a)); }

long double angle(const Vector& u, const Vector& v) { return atan2l(norm(cross(u, v)), dot(u, v)); }

enum class Nearest { arc, start, end, zero_leg };

struct Deviation {
    double metres;
    int point;  // from 1
    int leg;    // from 1
    Nearest nearest;
};

// The largest distance from a track point to the leg between the
// waypoints before and after it, point by point; waypoints lie on their
// legs, and ties go to the first point.
Deviation brute_force(const std::vector<Fix>& track, const std::vector<int>& waypoints) {
    Deviation worst = {-1.0, 0, 0, Nearest::arc};
    for (size_t k = 0; k + 1 < waypoints.size(); ++k) {
        Vector a = position(track[waypoints[k]]), b = position(track[waypoints[k + 1]]);
        Vector n = cross(a, b);
        for (int i = waypoints[k]; i <= waypoints[k + 1]; ++i) {
            if (i == waypoints[k] && k > 0) continue;  // counted with the leg before
            Vector p = position(track[i]);
            long double d;
            Nearest nearest;
            bool waypoint = i == waypoints[k] || i == waypoints[k + 1];
            if (waypoint) {
                d = 0;
                nearest = Nearest::start;
            } else if (norm(n) == 0) {
                d = angle(p, a);
                nearest = Nearest::zero_leg;
            } else if (dot(cross(a, p), n) >= 0 && dot(cross(p, b), n) >= 0) {
                d = asinl(fabsl(dot(p, n)) / norm(n));
                nearest = Nearest::arc;
            } else {
                nearest = angle(p, a) <= angle(p, b) ? Nearest::start : Nearest::end;
                d = fminl(angle(p, a), angle(p, b));
            }
            double metres = static_cast<double>(d * earth_radius_m);
            if (metres > worst.metres) worst = {metres, i + 1, static_cast<int>(k) + 1, nearest};
        }
    }
    return worst;
}

// The track points that are the route's waypoints, found in order from
// the route's records (degrees to six decimals).
std::vector<int> waypoint_indices(const std::vector<Fix>& track, const std::vector<std::string>& titles) {
    std::vector<int> indices;
    size_t next = 0;
    for (const std::string& title : titles) {
        std::vector<std::string> parts = split(title, ' ');
        double lat = std::strtod(parts.at(1).c_str(), nullptr), lon = std::strtod(parts.at(2).c_str(), nullptr);
        while (next < track.size() &&
               !(std::fabs(track[next].lat - lat) <= 0.51e-6 && std::fabs(track[next].lon - lon) <= 0.51e-6))
            ++next;
        EXPECT_LT(next, track.size()) << title;
        indices.push_back(static_cast<int>(next++));
    }
    return indices;
}

struct Printed {
    double metres;
    int point, leg_start, leg_end;
};

// "Largest deviation: 35.8 m at track point 7432, between RW001032 and RW001033"
Printed printed_deviation(const std::string& out) {
    Printed printed = {-1.0, 0, 0, 0};
    size_t at = out.find("\nLargest deviation: ");
    EXPECT_NE(std::string::npos, at) << out;
    if (at == std::string::npos) return printed;
    std::string line = out.substr(at + 1, out.find('\n', at + 1) - at - 1);
    EXPECT_EQ(4, std::sscanf(line.c_str(), "Largest deviation: %lf m at track point %d, between RW%d and RW%d",
                             &printed.metres, &printed.point, &printed.leg_start, &printed.leg_end))
        << line;
    char expected[160];
    std::snprintf(expected, sizeof expected, "Largest deviation: %.1f m at track point %d, between RW%06d and RW%06d",
                  printed.metres, printed.point, printed.leg_start, printed.leg_end);
    EXPECT_EQ(expected, line);
    return printed;
}

// A point north_m and east_m from base, in a local flat frame.
Fix offset(const Fix& base, double north_m, double east_m) {
    double lon = base.lon + east_m / (metres_per_degree * std::cos(base.lat * 3.141592653589793 / 180));
    if (lon > 180) lon -= 360;
    return {base.lat + north_m / metres_per_degree, lon};
}

// North 100 m and back to 50 m, a metre to the east: the route is one leg
// from the start to the end, and the worst point lies beyond its end.
std::vector<Fix> past_the_end() {
    const Fix start = {55.03, 82.92};
    std::vector<Fix> fixes;
    for (int i = 0; i <= 10; ++i) fixes.push_back(offset(start, 10.0 * i, i == 10 ? 3.0 : 0.0));
    for (int i = 9; i >= 5; --i) fixes.push_back(offset(start, 10.0 * i, 1.0));
    return fixes;
}

// A loop of 30 m east, then north-west and back to the very start, then
// away: the first two waypoints are the same point, and the loop's points
// lie on a leg of length zero.
std::vector<Fix> loop_back() {
    const Fix start = {55.03, 82.92};
    std::vector<Fix> fixes = {start};
    for (int i = 1; i <= 3; ++i) fixes.push_back(offset(start, 0, 10.0 * i));
    for (int i = 1; i <= 2; ++i) fixes.push_back(offset(start, 10.0 * i, 30.0 - 10.0 * i));
    for (int i = 1; i <= 3; ++i) fixes.push_back(offset(start, 20.0 - 6.0 * i, 10.0 - 3.0 * i));
    fixes.push_back(start);
    for (int i = 1; i <= 8; ++i) fixes.push_back(offset(start, -1.7 * i, -9.8 * i));
    return fixes;
}

// A winding road over the 180th meridian, eastwards.
std::vector<Fix> over_the_date_line() {
    std::vector<Fix> fixes;
    Fix at = {-17.0, 179.995};
    for (int i = 0; i < 400; ++i) {
        fixes.push_back(at);
        double heading = 1.4 + 0.6 * std::sin(i / 13.0) + 0.3 * std::sin(i / 5.0);
        at = offset(at, 9.0 * std::cos(heading), 9.0 * std::sin(heading));
    }
    return fixes;
}

// A road that passes 30 m from the north pole, drawn in a plane that
// touches the sphere there: the longitudes sweep through half a turn.
std::vector<Fix> past_the_pole() {
    std::vector<Fix> fixes;
    for (int i = 0; i <= 120; ++i) {
        double x = -360.0 + 6.0 * i, y = 30.0 + 25.0 * std::sin(i / 9.0);
        double r = std::sqrt(x * x + y * y);
        fixes.push_back({90.0 - r / metres_per_degree, std::atan2(y, x) * 180 / 3.141592653589793});
    }
    return fixes;
}

struct TrackCase {
    const char* name;
    std::vector<Fix> (*make)();
    std::vector<std::vector<std::string>> threshold_sets;
    Nearest nearest;  // of the worst point with the first set; arc: not checked
};

std::vector<Fix> winding() { return winding_road(700); }

const TrackCase track_cases[] = {
    {"winding", winding, {{}, {"/m1", "/e10", "/a3"}, {"/m20", "/x150", "/a30", "/e5"}}, Nearest::arc},
    {"past the end", past_the_end, {{"/a180", "/e100000", "/x100000"}}, Nearest::end},
    {"loop back", loop_back, {{"/a150", "/e100000", "/x100000"}}, Nearest::zero_leg},
    {"date line", over_the_date_line, {{}, {"/m1", "/a3", "/e10"}}, Nearest::arc},
    {"pole", past_the_pole, {{}, {"/m1", "/a3", "/e10"}}, Nearest::arc},
};

TEST_F(Rt2preview, LargestDeviationIsTheBruteForces) {
    for (const Format& format : formats) {
        for (const TrackCase& track : track_cases) {
            std::vector<Fix> fixes = track.make();
            write(format.file, format.write(fixes));
            std::vector<Fix> points = as_read(format, fixes);
            bool first_set = true;
            for (const std::vector<std::string>& thresholds : track.threshold_sets) {
                std::vector<std::string> args = {format.file};
                args.insert(args.end(), thresholds.begin(), thresholds.end());
                std::string what = std::string(format.converter) + ' ' + track.name + ' ' + args.back();
                test_support::RunResult result = preview(args);
                ASSERT_EQ(0, result.exit_code) << what << '\n' << result.stdout_bytes;
                std::vector<std::string> titles = convert(format, last_line(result.stdout_bytes));
                Deviation expected = brute_force(points, waypoint_indices(points, titles));
                Printed printed = printed_deviation(result.stdout_bytes);
                EXPECT_NEAR(expected.metres, printed.metres, 0.0501) << what;
                EXPECT_EQ(expected.point, printed.point) << what;
                EXPECT_EQ(expected.leg, printed.leg_start) << what;
                EXPECT_EQ(expected.leg + 1, printed.leg_end) << what;
                if (first_set && track.nearest != Nearest::arc) {
                    EXPECT_EQ(static_cast<int>(track.nearest), static_cast<int>(expected.nearest)) << what;
                }
                // The picture marks the same point with the same distance.
                char title[96];
                std::snprintf(title, sizeof title, "<title>largest deviation %.1f m, track point %d</title>",
                              printed.metres, printed.point);
                EXPECT_NE(std::string::npos, read(std::string(format.file) + ".svg").find(title)) << what;
                EXPECT_TRUE(temporaries().empty()) << what;
                first_set = false;
            }
        }
    }
}

struct SweepRow {
    int waypoints;
    double printed_m;
    double exact_m;  // by the brute force, of the route its command writes
    std::string command;
};

std::string millimetres_above(double metres) {
    // The last digit is never 0, so the preview prints the number back
    // as given.
    long long mm = static_cast<long long>(std::floor(metres * 1000)) + 1;
    if (mm % 10 == 0) ++mm;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", mm / 1000, mm % 1000);
    return text;
}

TEST_F(Rt2preview, WithinPicksTheFewestWaypointsThatKeepWithin) {
    const Format& gpx = formats[3];
    std::vector<Fix> fixes = winding_road(700);
    write(gpx.file, gpx.write(fixes));
    std::vector<Fix> points = as_read(gpx, fixes);
    test_support::RunResult sweep = preview({"--sweep", gpx.file});
    ASSERT_EQ(0, sweep.exit_code);
    std::vector<SweepRow> rows;
    for (const std::string& line : split(sweep.stdout_bytes, '\n')) {
        size_t command = line.find(" m  Marovin ");
        if (command == std::string::npos) continue;
        SweepRow row = {};
        ASSERT_EQ(2, std::sscanf(line.c_str(), "%d %lf", &row.waypoints, &row.printed_m)) << line;
        row.command = line.substr(command + 4);
        // Without --fit the rows keep the user's /x.
        EXPECT_NE(std::string::npos, row.command.find(" /m5 /x1000 /a")) << line;
        std::vector<std::string> titles = convert(gpx, row.command);
        EXPECT_EQ(row.waypoints, static_cast<int>(titles.size())) << line;
        row.exact_m = brute_force(points, waypoint_indices(points, titles)).metres;
        EXPECT_NEAR(row.exact_m, row.printed_m, 0.0501) << line;
        rows.push_back(row);
    }
    ASSERT_EQ(13u, rows.size());

    // Each budget just above a row's deviation, with and without --fit.
    for (const SweepRow& limit : rows) {
        std::string within = millimetres_above(limit.exact_m);
        double within_m = std::strtod(within.c_str(), nullptr);
        for (int budget : {0, 30}) {
            const SweepRow* best = nullptr;
            for (const SweepRow& row : rows)
                if (row.exact_m <= within_m && (budget == 0 || row.waypoints <= budget) &&
                    (best == nullptr || row.waypoints < best->waypoints))
                    best = &row;
            std::vector<std::string> args = {"--within", within, gpx.file};
            if (budget > 0) args.insert(args.begin(), {"--fit", std::to_string(budget)});
            test_support::RunResult result = preview(args);
            std::string what = "--within " + within + " budget " + std::to_string(budget);
            if (best == nullptr) {
                EXPECT_EQ(6, result.exit_code) << what;
                continue;
            }
            ASSERT_EQ(0, result.exit_code) << what << '\n' << result.stdout_bytes;
            EXPECT_EQ(best->command, last_line(result.stdout_bytes)) << what;
            std::string fit = "\nFit: " + std::to_string(best->waypoints) + " waypoints, " +
                              (budget > 0 ? "at most " + std::to_string(budget) + ", " : "") + "within " + within +
                              " m\n";
            EXPECT_NE(std::string::npos, result.stdout_bytes.find(fit)) << what << '\n' << result.stdout_bytes;
            std::vector<std::string> titles = convert(gpx, last_line(result.stdout_bytes));
            EXPECT_EQ(titles, svg_titles(read(std::string(gpx.file) + ".svg"))) << what;
            EXPECT_LE(brute_force(points, waypoint_indices(points, titles)).metres, within_m) << what;
        }
    }

    // Closer than any rung keeps.
    test_support::RunResult none = preview({"--within", "0.001", gpx.file, "/m0"});
    EXPECT_EQ(6, none.exit_code);
    EXPECT_EQ("No setting on the ladder keeps the route within 0.001 m!\n",
              none.stdout_bytes.substr(none.stdout_bytes.rfind('\n', none.stdout_bytes.size() - 2) + 1));
    EXPECT_TRUE(temporaries().empty());
}

}  // namespace
