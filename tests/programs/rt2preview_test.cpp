// rt2preview end to end: its waypoints against the converters' routes for
// every format, --fit and --sweep against the converters' counts, and the
// command lines and files it refuses.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/programs/preview_test.h"

namespace {

using namespace preview_test;

TEST_F(Rt2preview, WaypointTitlesAreTheConvertersForwardRoute) {
    const std::vector<std::vector<std::string>> threshold_sets = {
        {}, {"/m1", "/e10", "/a3"}, {"/m20", "/x150", "/a30", "/e5"}, {"-M0", "/E0", "/a0"}};
    for (const Format& format : formats) {
        write(format.file, format.write(winding_road(700)));
        for (const std::vector<std::string>& thresholds : threshold_sets) {
            std::vector<std::string> args = {format.file};
            args.insert(args.end(), thresholds.begin(), thresholds.end());
            test_support::RunResult result = preview(args);
            ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
            std::vector<std::string> titles = svg_titles(read(std::string(format.file) + ".svg"));
            std::vector<std::string> route = convert(format, last_line(result.stdout_bytes));
            EXPECT_EQ(route, titles) << format.converter << ' ' << last_line(result.stdout_bytes);
            EXPECT_NE(std::string::npos,
                      result.stdout_bytes.find("Waypoints: " + std::to_string(route.size()) + "\n"));
            EXPECT_FALSE(exists(std::string(format.file) + ".svg.tmp"));
        }
    }
}

TEST_F(Rt2preview, FitAndSweepCountsAreTheConvertersCounts) {
    for (const Format& format : formats) {
        write(format.file, format.write(winding_road(700)));
        for (int budget : {12, 40, 120}) {
            test_support::RunResult result = preview({"--fit", std::to_string(budget), format.file});
            ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
            std::vector<std::string> route = convert(format, last_line(result.stdout_bytes));
            EXPECT_LE(static_cast<int>(route.size()), budget);
            EXPECT_NE(std::string::npos, result.stdout_bytes.find("Fit: " + std::to_string(route.size()) +
                                                                  " waypoints, at most " +
                                                                  std::to_string(budget)));
            EXPECT_EQ(route, svg_titles(read(std::string(format.file) + ".svg")));
        }
    }
    // Every sweep row's command line writes the count the row gives, at
    // the user's /m and /x.
    const Format& gpx = formats[3];
    test_support::RunResult result = preview({"--sweep", "--fit", "40", gpx.file, "/x2000"});
    ASSERT_EQ(0, result.exit_code);
    std::vector<std::string> lines = split(result.stdout_bytes, '\n');
    int rows = 0;
    for (const std::string& line : lines) {
        size_t command = line.find("  Marovin ");
        if (line.size() < 12 || command == std::string::npos || line[0] != ' ') continue;
        ++rows;
        int count = std::stoi(line.substr(0, command));
        EXPECT_EQ(count, static_cast<int>(convert(gpx, line.substr(command + 2)).size())) << line;
        EXPECT_NE(std::string::npos, line.find(" /m5 /x2000 /a")) << line;
    }
    EXPECT_EQ(13, rows);
}

// 300 km straight north at 100 m a fix: /x1000 would give 300 waypoints,
// so a budget of 20 takes a larger /x.
TEST_F(Rt2preview, FitTakesLongLegsOnALongTrack) {
    std::vector<Fix> fixes;
    for (int i = 0; i <= 3000; ++i) fixes.push_back({50.0 + i * 0.0009, 10.0 + 0.0001 * (i % 2)});
    write("long.gpx", gpx_of(fixes));
    test_support::RunResult result = preview({"--fit", "20", "long.gpx"});
    ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
    std::string command = last_line(result.stdout_bytes);
    EXPECT_EQ(std::string::npos, command.find(" /x1000 ")) << command;
    EXPECT_LE(convert(formats[3], command).size(), 20u);
}

// Past 5000 waypoints the markers are thinned, in the whole picture and
// in a view alike: every n-th (in the window) and the last.
TEST_F(Rt2preview, MarkersAreThinnedPastFiveThousandWaypoints) {
    write("zigzag.gpx", gpx_of(winding_road(6200)));
    struct Case {
        std::vector<std::string> view;
        std::string words;
    };
    for (const Case& c : {Case{{}, "every 2nd waypoint and the last ("},
                          Case{{"--view", "54,82,56,84"}, "every 2nd waypoint in the view and the last ("}}) {
        std::vector<std::string> args = {"zigzag.gpx", "/m0", "/a0", "/e0"};
        args.insert(args.end(), c.view.begin(), c.view.end());
        test_support::RunResult result = preview(args);
        ASSERT_EQ(0, result.exit_code) << c.words;
        std::vector<std::string> route = convert(formats[3], last_line(result.stdout_bytes));
        ASSERT_GT(route.size(), 5000u);
        ASSERT_LE(route.size(), 10000u);
        std::string svg = read("zigzag.gpx.svg");
        std::vector<std::string> expected;
        for (size_t i = 0; i < route.size(); i += 2) expected.push_back(route[i]);
        if (route.size() % 2 == 0) expected.push_back(route.back());
        EXPECT_EQ(expected, svg_titles(svg)) << c.words;
        EXPECT_NE(std::string::npos, svg.find(c.words + std::to_string(expected.size()) + " of " +
                                              std::to_string(route.size()) + ")"));
    }
}

// Across the 180th meridian the track stays one short line; at a pole it
// still draws; neither puts a NaN in the picture.
TEST_F(Rt2preview, DateLineAndPole) {
    std::vector<Fix> date_line, pole;
    for (int i = 0; i < 50; ++i) date_line.push_back({-17.0 + i * 1e-4, 179.998 + i * 1e-4 - (i > 20 ? 360.0 : 0.0)});
    for (int i = 0; i < 50; ++i) pole.push_back({89.99 + i * 0.0002 > 90.0 ? 90.0 : 89.99 + i * 0.0002, i * 7.0});
    write("date_line.gpx", gpx_of(date_line));
    write("pole.gpx", gpx_of(pole));
    for (const char* name : {"date_line.gpx", "pole.gpx"}) {
        ASSERT_EQ(0, preview({name}).exit_code) << name;
        std::string svg = read(std::string(name) + ".svg");
        EXPECT_EQ(std::string::npos, svg.find("nan")) << name;
        EXPECT_EQ(std::string::npos, svg.find("inf")) << name;
    }
    // 50 fixes 11 m apart: a scale bar in metres, not half the globe.
    EXPECT_NE(std::string::npos, read("date_line.gpx.svg").find(" m</text>"));
}

struct Refusal {
    std::vector<std::string> args;
    int exit_code;
    std::string message;  // the last line printed
};

TEST_F(Rt2preview, RefusalsAndFailures) {
    write("road.gpx", gpx_of(winding_road(50)));
    write("two.gpx", gpx_of(winding_road(2)));
    write("notes.txt", "nothing to see here\n");
    // A leg of 11000 km: past the largest maximal distance --fit tries,
    // and the closest route ends a leg before a point a quarter of the
    // Earth away.
    write("far.gpx", gpx_of({{0.0, 0.0}, {0.0, 100.0}, {0.0, 179.0}}));
    make_directory("folder");
    const std::string usage = "Usage:\nrt2preview [--output FILE.svg] [--fit N] [--within D] [--closest] [--sweep] "
                              "[--format nmea|records|plt|gpx] [--view SOUTH,WEST,NORTH,EAST] [--size WIDTHxHEIGHT] "
                              "[--write FORWARD.rt2 BACKWARD.rt2] TRACKFILE [/mMINMETERS /xMAXMETERS "
                              "/aMAXDEGREES /eMAXORTERROR] \n\n";
    const Refusal cases[] = {
        {{}, 1, usage},
        {{"road.gpx", "--fit", "1"}, 1, usage},
        {{"road.gpx", "--format", "kml"}, 1, usage},
        {{"road.gpx", "/q5"}, 1, usage},
        {{"road.gpx", "two.gpx"}, 1, usage},
        {{"missing.gpx"}, 2, "Input file open error!\n"},
        {{"folder"}, 2, "Input file open error!\n"},
        {{"notes.txt"}, 2, "Unknown track file format!\n"},
        {{"--format", "plt", "road.gpx"}, 2, "Incorrect file format!\n"},
        {{"--format", "records", "road.gpx"}, 2, "Incorrect file format!\n"},
        {{"two.gpx"}, 5, "Too short input file!\n"},
        {{"road.gpx", "--output", "folder/none/p.svg"}, 2, "Picture file open error!\n"},
        {{"far.gpx", "--fit", "2"}, 6, "No setting gives at most 2 waypoints!\n"},
        {{"road.gpx", "--within", "0"}, 1, usage},
        {{"road.gpx", "--within", "-5"}, 1, usage},
        {{"road.gpx", "--within", "inf"}, 1, usage},
        {{"road.gpx", "--within", "1e999"}, 1, usage},
        {{"road.gpx", "--within", "5m"}, 1, usage},
        {{"road.gpx", "--within"}, 1, usage},
        {{"road.gpx", "--within", "0.0001"}, 6, "No setting keeps the route within 0.0001 m!\n"},
        // Both budgets: no rung has as few waypoints.
        {{"far.gpx", "--fit", "2", "--within", "5"}, 6, "No setting gives at most 2 waypoints!\n"},
        // The closest route: a budget or a distance, and nothing of the
        // converters' thresholds or ladder.
        {{"road.gpx", "--closest"}, 1, usage},
        {{"road.gpx", "--closest", "--within", "5", "--sweep"}, 1, usage},
        {{"road.gpx", "--closest", "--within", "5", "/e20"}, 1, usage},
        {{"far.gpx", "--closest", "--fit", "2"}, 6, "No closest route has at most 2 waypoints!\n"},
        {{"road.gpx", "--closest", "--fit", "2", "--within", "0.001"}, 6,
         "No closest route within 0.001 m has at most 2 waypoints!\n"},
        // --write: two files, neither the track, the picture nor the other.
        {{"road.gpx", "--write", "f.rt2"}, 1, usage},
        {{"road.gpx", "--write", "f.rt2", ""}, 1, usage},
        {{"road.gpx", "--write", "f.rt2", "f.rt2"}, 1, usage},
        {{"road.gpx", "--write", "road.gpx", "b.rt2"}, 1, usage},
        {{"road.gpx", "--output", "p.svg", "--write", "f.rt2", "p.svg"}, 1, usage},
        // The picture is written first, and stays.
        {{"road.gpx", "--output", "w.svg", "--closest", "--within", "5", "--write", "folder/none/f.rt2", "b.rt2"},
         2, "Output file open error!\n"},
        {{"road.gpx", "--output", "w.svg", "--write", "f.rt2", "folder/none/b.rt2"}, 3,
         "Backward route file open error!\n"},
    };
    for (const Refusal& c : cases) {
        test_support::RunResult result = preview(c.args);
        std::string line;
        for (const std::string& arg : c.args) line += arg + ' ';
        EXPECT_EQ(c.exit_code, result.exit_code) << line;
        ASSERT_GE(result.stdout_bytes.size(), c.message.size()) << line;
        EXPECT_EQ(c.message, result.stdout_bytes.substr(result.stdout_bytes.size() - c.message.size())) << line;
    }
    EXPECT_FALSE(exists("road.gpx.svg"));
    EXPECT_FALSE(exists("road.gpx.svg.tmp"));
    EXPECT_FALSE(exists("two.gpx.svg"));
    EXPECT_FALSE(exists("far.gpx.svg"));
    EXPECT_TRUE(temporaries().empty());
    // A second run replaces the picture.
    ASSERT_EQ(0, preview({"road.gpx", "--output", "p.svg"}).exit_code);
    ASSERT_EQ(0, preview({"road.gpx", "--output", "p.svg", "/a1"}).exit_code);
    EXPECT_NE(std::string::npos, read("p.svg").find("/a1 /e50"));
}

// The README's picture of the sample drive is this program's output, byte
// for byte, on every system.
TEST_F(Rt2preview, DrawsTheReadmePictureOfTheSampleDrive) {
    write("drive.gpx", test_support::read_file(SOURCE_PATH "/examples/drive.gpx"));
    ASSERT_EQ(0, preview({"--within", "100", "--output", "p.svg", "drive.gpx"}).exit_code);
    EXPECT_EQ(test_support::read_file(SOURCE_PATH "/docs/drive-preview.svg"), read("p.svg"));
}

// The converters read a leading '/' as an option; the preview takes an
// absolute path and prints one the converter takes.
TEST_F(Rt2preview, AbsolutePathAndTheCommandLineItPrints) {
    if (test_support::on_windows) GTEST_SKIP() << "absolute paths there begin with a drive";
    write("road.gpx", gpx_of(winding_road(300)));
    std::string absolute = dir.file("road.gpx");
    ASSERT_EQ('/', absolute[0]);
    test_support::RunResult result = preview({absolute, "/m2"});
    ASSERT_EQ(0, result.exit_code) << result.stdout_bytes;
    std::string command = last_line(result.stdout_bytes);
    EXPECT_EQ("Marovin ../", command.substr(0, 11));
    EXPECT_EQ(svg_titles(read("road.gpx.svg")), convert(formats[3], command));
}

}  // namespace
