// rt2preview --view and the labels end to end: the waypoints a view draws
// against a brute force over the converter's route, in every format and
// across the 180th meridian; lines cut at the map's edges; labels that
// overlap no other label and no marker; empty and refused windows.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/programs/preview_test.h"

namespace {

using namespace preview_test;

// "View: S,W,N,E at L,T WxH px: ..." as printed.
struct ViewLine {
    double south, west, north, east;
    double left, top, width, height;
    std::string rest;
};

ViewLine view_line(const std::string& out) {
    ViewLine v = {};
    size_t at = out.find("\nView: ");
    EXPECT_NE(std::string::npos, at) << out;
    if (at == std::string::npos) return v;
    std::string line = out.substr(at + 1, out.find('\n', at + 1) - at - 1);
    int consumed = 0;
    EXPECT_EQ(8, std::sscanf(line.c_str(), "View: %lf,%lf,%lf,%lf at %lf,%lf %lfx%lf px: %n", &v.south, &v.west,
                             &v.north, &v.east, &v.left, &v.top, &v.width, &v.height, &consumed))
        << line;
    // The map's place and size as the picture writes its coordinates: at
    // most one decimal, and none where it is 0.
    std::string pixels = line.substr(line.find(" at ") + 4, line.find(" px: ") - line.find(" at ") - 4);
    for (size_t dot = pixels.find('.'); dot != std::string::npos; dot = pixels.find('.', dot + 1))
        EXPECT_TRUE(dot + 2 <= pixels.size() && pixels[dot + 1] != '0' &&
                    (dot + 2 == pixels.size() || !std::isdigit(static_cast<unsigned char>(pixels[dot + 2]))))
            << line;
    v.rest = line.substr(consumed);
    return v;
}

// How far a longitude lies east of west, within a turn.
double east_of(double lon, double west) {
    double d = std::fmod(lon - west, 360.0);
    return d < 0 ? d + 360.0 : d;
}

// 1 inside, 0 outside, -1 too near an edge to tell from six decimals.
int inside(const ViewLine& v, double lat, double lon) {
    const double near = 2e-6;
    double width = east_of(v.east, v.west), from_west = east_of(lon + near, v.west) - near;
    if (std::fabs(lat - v.south) < near || std::fabs(lat - v.north) < near || std::fabs(from_west) < near ||
        std::fabs(from_west - width) < near)
        return -1;
    return lat > v.south && lat < v.north && from_west > 0 && from_west < width ? 1 : 0;
}

// The route's titles a view must draw: those inside; false when one lies
// too near an edge.
bool titles_inside(const ViewLine& v, const std::vector<std::string>& route, std::vector<std::string>* titles) {
    for (const std::string& title : route) {
        std::vector<std::string> parts = split(title, ' ');
        int in = inside(v, std::strtod(parts.at(1).c_str(), nullptr), std::strtod(parts.at(2).c_str(), nullptr));
        if (in < 0) return false;
        if (in == 1) titles->push_back(title);
    }
    return true;
}

// The numbers in every "d" attribute of the picture's paths, as points.
std::vector<std::pair<double, double>> path_points(const std::string& svg, const std::string& group_start) {
    std::vector<std::pair<double, double>> points;
    size_t group = svg.find(group_start);
    if (group == std::string::npos) return points;
    size_t end = svg.find("</g>", group);
    for (size_t at = group; (at = svg.find(" d=\"", at)) != std::string::npos && at < end;) {
        size_t close = svg.find('"', at + 4);
        const char* c = svg.c_str() + at + 4;
        while (c < svg.c_str() + close) {
            char* next;
            double x = std::strtod(c + 1, &next);
            double y = std::strtod(next, &next);
            points.push_back({x, y});
            c = next;
        }
        at = close;
    }
    return points;
}

constexpr const char* track_group = "<g id=\"track-";
constexpr const char* route_group = "<g fill=\"none\" stroke=\"#e0601f\"";

// Windows over the winding road's middle, its start and one that takes
// in half of it, each away from the fixes' round numbers.
const char* road_windows[] = {"55.0322137,82.9230571,55.0351119,82.9281173",
                              "55.0291234,82.9188888,55.0312345,82.9221111",
                              "55.0281357,82.9112468,55.0402468,82.9413579"};

TEST_F(Rt2preview, ViewDrawsExactlyTheWaypointsInItsWindow) {
    for (const Format& format : formats) {
        write(format.file, format.write(winding_road(700)));
        for (const char* window : road_windows) {
            for (const char* size : {"", "640x900"}) {
                std::vector<std::string> args = {"--view", window, format.file, "/m1", "/a3"};
                if (*size != 0) args.insert(args.end(), {"--size", size});
                test_support::RunResult result = preview(args);
                ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
                ViewLine v = view_line(result.stdout_bytes);
                std::vector<std::string> route = convert(format, last_line(result.stdout_bytes)), expected;
                ASSERT_TRUE(titles_inside(v, route, &expected)) << format.converter << ' ' << window;
                std::string svg = read(std::string(format.file) + ".svg");
                EXPECT_EQ(expected, svg_titles(svg)) << format.converter << ' ' << window << ' ' << size;
                EXPECT_GT(expected.size(), 3u);
                EXPECT_LT(expected.size(), route.size());
                EXPECT_NE(std::string::npos, v.rest.find(" track points and " + std::to_string(expected.size()) +
                                                         " waypoints in it"))
                    << v.rest;
                // The window asked for lies within the one drawn, which
                // fills the map.
                EXPECT_LE(v.south, std::strtod(window, nullptr));
                if (*size != 0) {
                    EXPECT_NE(std::string::npos, svg.find("width=\"640.0\" height=\"900.0\""));
                    EXPECT_EQ(600.0, v.width);
                }
                // Every line drawn keeps within the map.
                for (const char* group : {track_group, route_group})
                    for (auto [x, y] : path_points(svg, group)) {
                        ASSERT_TRUE(x >= v.left - 0.05 && x <= v.left + v.width + 0.05) << x << ' ' << group;
                        ASSERT_TRUE(y >= v.top - 0.05 && y <= v.top + v.height + 0.05) << y << ' ' << group;
                    }
            }
        }
    }
}

// A winding road eastwards over the 180th meridian, and windows on
// either side of it and across it (west greater than east).
TEST_F(Rt2preview, ViewAcrossTheDateLine) {
    std::vector<Fix> fixes;
    double lat = -17.0, lon = 179.99;
    for (int i = 0; i < 500; ++i) {
        fixes.push_back({lat, lon > 180 ? lon - 360 : lon});
        double heading = 1.4 + 0.7 * std::sin(i / 11.0) + 0.4 * std::sin(i / 4.0);
        lat += 8e-5 * std::cos(heading);
        lon += 8e-5 * std::sin(heading) / 0.9563;
    }
    const char* windows[] = {"-17.0041234,179.9981234,-16.9961234,-179.9961234",
                             "-17.0051234,179.9901234,-16.9951234,179.9991234",
                             "-17.0051234,-179.9991234,-16.9951234,-179.9861234"};
    for (const Format& format : formats) {
        write(format.file, format.write(fixes));
        for (const char* window : windows) {
            test_support::RunResult result = preview({"--view", window, format.file, "/m1", "/a2", "/e5"});
            ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
            ViewLine v = view_line(result.stdout_bytes);
            std::vector<std::string> route = convert(format, last_line(result.stdout_bytes)), expected;
            ASSERT_TRUE(titles_inside(v, route, &expected)) << format.converter << ' ' << window;
            std::string svg = read(std::string(format.file) + ".svg");
            EXPECT_EQ(expected, svg_titles(svg)) << format.converter << ' ' << window;
            EXPECT_GT(expected.size(), 3u) << window;
            EXPECT_EQ(std::string::npos, svg.find("nan"));
            for (auto [x, y] : path_points(svg, track_group))
                ASSERT_TRUE(x >= v.left - 0.05 && x <= v.left + v.width + 0.05) << x << ' ' << window;
        }
    }
}

// A straight road north with waypoints only at its ends: a window in its
// middle holds no waypoint, and the route's leg crosses it from edge to
// edge.
TEST_F(Rt2preview, LegsAreCutAtTheMapsEdges) {
    std::vector<Fix> fixes;
    for (int i = 0; i <= 100; ++i) fixes.push_back({50.0 + i * 1e-4, 10.0});
    write("straight.gpx", gpx_of(fixes));
    test_support::RunResult result = preview({"--view", "50.0041234,9.9991234,50.0061234,10.0011234", "straight.gpx"});
    ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
    ViewLine v = view_line(result.stdout_bytes);
    EXPECT_NE(std::string::npos, v.rest.find(" track points and 0 waypoints in it")) << v.rest;
    std::string svg = read("straight.gpx.svg");
    EXPECT_TRUE(svg_titles(svg).empty());
    std::vector<std::pair<double, double>> route = path_points(svg, route_group);
    ASSERT_FALSE(route.empty());
    double top = route[0].second, bottom = route[0].second;
    double x_of_track = v.left + (10.0 - v.west) / (v.east - v.west) * v.width;
    for (auto [x, y] : route) {
        EXPECT_NEAR(x_of_track, x, 0.06);
        top = std::fmin(top, y);
        bottom = std::fmax(bottom, y);
    }
    EXPECT_NEAR(v.top, top, 0.05);
    EXPECT_NEAR(v.top + v.height, bottom, 0.05);
}

TEST_F(Rt2preview, AWindowWithoutTrackDrawsAnEmptyMapAndSaysSo) {
    write("road.gpx", gpx_of(winding_road(300)));
    test_support::RunResult result = preview({"road.gpx", "--view", "-34,151,-33.9,151.2"});
    ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
    EXPECT_EQ("no track point in it", view_line(result.stdout_bytes).rest);
    std::string svg = read("road.gpx.svg");
    EXPECT_TRUE(svg_titles(svg).empty());
    EXPECT_NE(std::string::npos, svg.find(": no track point in it</text>"));
    EXPECT_NE(std::string::npos, svg.find(">road.gpx</text>"));
    EXPECT_EQ(std::string::npos, svg.find(">Start</text>"));
    EXPECT_EQ(std::string::npos, svg.find("largest deviation"));
    // Without --view no such line.
    ASSERT_EQ(0, preview({"road.gpx"}).exit_code);
    EXPECT_EQ(std::string::npos, preview({"road.gpx"}).stdout_bytes.find("View: "));
}

TEST_F(Rt2preview, RefusedWindowsAndSizes) {
    write("road.gpx", gpx_of(winding_road(50)));
    const char* views[] = {"", "1,2,3", "1,2,3,4,5", "a,b,c,d", "10,0,5,1", "5,0,5,1", "-91,0,5,1", "1e1,0,20,1",
                           "1,,2,3", "1,2,3,4,", " 1,2,3,4", "inf,0,5,1", "0,0,1,721"};
    const char* sizes[] = {"", "800", "800x", "x600", "800x600x", "-800x600", "199x600", "800x299", "4097x600",
                           "800x4097", "800X600", "8e2x600"};
    std::vector<std::vector<std::string>> cases = {{"road.gpx", "--view"}, {"road.gpx", "--size"}};
    for (const char* view : views) cases.push_back({"road.gpx", "--view", view});
    for (const char* size : sizes) cases.push_back({"road.gpx", "--size", size});
    for (const std::vector<std::string>& args : cases) {
        test_support::RunResult result = preview(args);
        EXPECT_EQ(1, result.exit_code) << args.back();
        EXPECT_NE(std::string::npos, result.stdout_bytes.find("\nUsage:\nrt2preview [")) << args.back();
    }
    EXPECT_FALSE(exists("road.gpx.svg"));
    for (const char* good : {"-0.5,-180,0.5,180", "+55,82.9,55.1,83", "55,83,55.1,82.9"})
        EXPECT_EQ(0, preview({"road.gpx", "--view", good}).exit_code) << good;
    for (const char* good : {"200x300", "4096x4096"}) {
        ASSERT_EQ(0, preview({"road.gpx", "--size", good}).exit_code) << good;
        std::vector<std::string> sides = split(good, 'x');
        EXPECT_NE(std::string::npos, read("road.gpx.svg").find("width=\"" + sides[0] + ".0\" height=\"" + sides[1] +
                                                                 ".0\""));
    }
}

}  // namespace
