// rt2preview's largest deviation end to end: the line it prints against a
// brute force over the track held here, in every format, on winding roads
// and on the tracks where the measure is easy to get wrong; --within's
// and --fit against a fine grid, and the route each command line writes.
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

// One converter route of the grid's: its count and exact deviation.
struct GridRoute {
    int waypoints;
    double exact_m;
};

// The fit and --within against a fine grid of settings run here through
// the converter (42 pairs of /a and /e of the fit's grid, at /m5 /x1000,
// so that the test stays quick under emulation): with
// --fit the route strays no farther than the best of them within the
// budget, with --within it has no more waypoints than the fewest of them
// within the distance, and each is the route its command line writes.
TEST_F(Rt2preview, FitAndWithinDoAsWellAsAFineGrid) {
    const Format& gpx = formats[3];
    std::vector<Fix> fixes = winding_road(700);
    write(gpx.file, gpx.write(fixes));
    std::vector<Fix> points = as_read(gpx, fixes);
    std::vector<GridRoute> grid;
    for (const char* angle : {"1", "3", "7", "15", "30", "90", "180"})
        for (const char* error : {"1", "5", "20", "100", "500", "1000000000"}) {
            std::string command = std::string("Marovin ") + gpx.file + " forward.rt2 backward.rt2 /m5 /x1000 /a" +
                                  angle + " /e" + error;
            std::vector<std::string> titles = convert(gpx, command);
            grid.push_back({static_cast<int>(titles.size()), brute_force(points, waypoint_indices(points, titles)).metres});
        }
    // The route the preview chose, from its command line, and its count
    // and deviation as printed.
    auto chosen = [&](const test_support::RunResult& result, const std::string& what) {
        std::vector<std::string> titles = convert(gpx, last_line(result.stdout_bytes));
        EXPECT_EQ(titles, svg_titles(read(std::string(gpx.file) + ".svg"))) << what;
        return GridRoute{static_cast<int>(titles.size()), brute_force(points, waypoint_indices(points, titles)).metres};
    };
    for (int budget : {15, 40, 120}) {
        double best_m = 1e30;
        for (const GridRoute& g : grid)
            if (g.waypoints <= budget) best_m = std::fmin(best_m, g.exact_m);
        test_support::RunResult result = preview({"--fit", std::to_string(budget), gpx.file});
        ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
        GridRoute fit = chosen(result, "--fit " + std::to_string(budget));
        EXPECT_LE(fit.waypoints, budget);
        EXPECT_LE(fit.exact_m, best_m + 1e-6) << budget;
    }
    for (const char* within : {"3", "12.5", "40", "150"}) {
        double within_m = std::strtod(within, nullptr);
        for (int budget : {0, 30}) {
            int fewest = 0;
            for (const GridRoute& g : grid)
                if (g.exact_m <= within_m && (budget == 0 || g.waypoints <= budget) && (fewest == 0 || g.waypoints < fewest))
                    fewest = g.waypoints;
            std::vector<std::string> args = {"--within", within, gpx.file};
            if (budget > 0) args.insert(args.begin(), {"--fit", std::to_string(budget)});
            test_support::RunResult result = preview(args);
            std::string what = std::string("--within ") + within + " budget " + std::to_string(budget);
            if (result.exit_code == 6 && fewest == 0) continue;
            ASSERT_EQ(0, result.exit_code) << what << '\n' << result.stdout_bytes;
            GridRoute fit = chosen(result, what);
            EXPECT_LE(fit.exact_m, within_m) << what;
            if (fewest > 0) {
                EXPECT_LE(fit.waypoints, fewest) << what;
            }
            std::string line = "\nFit: " + std::to_string(fit.waypoints) + " waypoints, " +
                               (budget > 0 ? "at most " + std::to_string(budget) + ", " : "") + "within " + within +
                               " m\n";
            EXPECT_NE(std::string::npos, result.stdout_bytes.find(line)) << what << '\n' << result.stdout_bytes;
        }
    }

    // Closer than any setting keeps.
    test_support::RunResult none = preview({"--within", "0.001", gpx.file, "/m0"});
    EXPECT_EQ(6, none.exit_code);
    EXPECT_EQ("No setting keeps the route within 0.001 m!\n",
              none.stdout_bytes.substr(none.stdout_bytes.rfind('\n', none.stdout_bytes.size() - 2) + 1));
    EXPECT_TRUE(temporaries().empty());
}

// The closest route in every format: within the distance by the brute
// force, its files (--write) the route drawn, and with --fit within the
// budget, its printed command line writing the same files again; a
// converter's route written with --write is the converter's, byte for
// byte.
TEST_F(Rt2preview, TheClosestRouteKeepsWithinAndWritesWhatItDraws) {
    for (const Format& format : formats) {
        std::vector<Fix> fixes = winding_road(700);
        write(format.file, format.write(fixes));
        std::vector<Fix> points = as_read(format, fixes);
        for (const std::vector<std::string>& fit : {std::vector<std::string>{"--within", "7.5"},
                                                   std::vector<std::string>{"--fit", "25"}}) {
            std::vector<std::string> args = {"--closest", format.file, "--write", "f.rt2", "b.rt2"};
            args.insert(args.begin() + 1, fit.begin(), fit.end());
            std::string what = std::string(format.converter) + ' ' + fit[0] + ' ' + fit[1];
            test_support::RunResult result = preview(args);
            ASSERT_EQ(0, result.exit_code) << what << '\n' << result.stdout_bytes;
            std::vector<std::string> titles = route_titles(read("f.rt2"));
            EXPECT_EQ(titles, svg_titles(read(std::string(format.file) + ".svg"))) << what;
            std::string forward = read("f.rt2"), backward = read("b.rt2");
            ASSERT_GE(forward.size(), 74u + 2 * 37u);
            EXPECT_EQ(forward.size() + 1, backward.size()) << what;
            // The backward route holds the same records from the last.
            EXPECT_EQ(forward.substr(forward.size() - 37), backward.substr(75, 37)) << what;
            std::string command = last_line(result.stdout_bytes);
            size_t within_at = command.find("--within ");
            ASSERT_NE(std::string::npos, within_at) << command;
            double within_m = std::strtod(command.c_str() + within_at + 9, nullptr);
            EXPECT_TRUE(fit[0] == "--fit" || within_m == 7.5) << command;
            EXPECT_TRUE(fit[0] == "--within" || titles.size() <= 25u) << what;
            EXPECT_LE(brute_force(points, waypoint_indices(points, titles)).metres, within_m) << what;
            // The printed command line writes the same route again.
            std::vector<std::string> again = split(command, ' ');
            ASSERT_EQ("rt2preview", again.at(0));
            ASSERT_EQ(0, preview(std::vector<std::string>(again.begin() + 1, again.end())).exit_code) << command;
            EXPECT_EQ(forward, read("f.rt2")) << command;
        }
        // A converter's route through --write.
        ASSERT_EQ(0, preview({format.file, "/e20", "--write", "f.rt2", "b.rt2"}).exit_code);
        std::string command = std::string(format.converter) + ' ' + format.file + " forward.rt2 backward.rt2 /e20";
        convert(format, command);
        EXPECT_EQ(read("forward.rt2"), read("f.rt2")) << format.converter;
        EXPECT_EQ(read("backward.rt2"), read("b.rt2")) << format.converter;
    }
    EXPECT_TRUE(temporaries().empty());
}

}  // namespace
