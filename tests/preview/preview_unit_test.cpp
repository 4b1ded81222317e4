// The preview's parts that decide what is read, printed and drawn: its
// command line, the judgement of a file's format, the paths and options on
// the converter command lines, and the text and geometry of the picture.
#include <gtest/gtest.h>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "core/entry.h"
#include "core/input_stream.h"
#include "core/track_point.h"
#include "preview/preview_options.h"
#include "preview/ladder.h"
#include "preview/projection.h"
#include "preview/svg_picture.h"
#include "preview/svg_writer.h"
#include "preview/track_format.h"
#include "readers/converters/converters.h"
#include "tests/support/test_support.h"

namespace {

using preview::TrackFormat;

// Only "/data/t.gpx" exists.
bool only_data_track(const char* path) { return std::string(path) == "/data/t.gpx"; }

struct CommandLineCase {
    std::vector<std::string> args;
    int expected;
};

// The settings point into the arguments, which stay here until the next
// parse.
std::vector<std::string> arguments;

int parse(const std::vector<std::string>& args, preview::PreviewSettings* out) {
    arguments = args;
    arguments.insert(arguments.begin(), "rt2preview");
    std::vector<char*> argv;
    for (std::string& arg : arguments) argv.push_back(arg.data());
    return preview::read_preview_command_line(static_cast<int>(argv.size()), argv.data(),
                                              only_data_track, out);
}

TEST(PreviewCommandLine, RefusesWhatItCannotRun) {
    const CommandLineCase cases[] = {
        {{}, 1},
        {{"t.gpx"}, 0},
        {{"t.gpx", "u.gpx"}, 1},
        {{"/m5"}, 1},                 // a threshold, and no track
        {{"t.gpx", "/q5"}, 1},        // unknown letter
        {{"t.gpx", "--fit"}, 1},      // no value
        {{"t.gpx", "--fit", "1"}, 1},
        {{"t.gpx", "--fit", "2"}, 0},
        {{"t.gpx", "--fit", "1000001"}, 1},
        {{"t.gpx", "--fit", "12x"}, 1},
        {{"t.gpx", "--fit", "-5"}, 1},
        {{"t.gpx", "--format", "kml"}, 1},
        {{"t.gpx", "--format", "records"}, 0},
        {{"t.gpx", "--output"}, 1},
        {{"t.gpx", "--output", ""}, 1},
        {{"t.gpx", "--colour", "red"}, 1},
        {{"--sweep", "/data/t.gpx", "-x300"}, 0},
        {{"t.gpx", "--output", "t.gpx"}, 1},  // the picture would replace the track
        {{"t.gpx", "--within", "25"}, 0},
        {{"t.gpx", "--within", "2.5"}, 0},
        {{"t.gpx", "--within", ".5"}, 0},
        {{"t.gpx", "--within", "1e3"}, 0},
        {{"t.gpx", "--within", "1E-2"}, 0},
        {{"t.gpx", "--within"}, 1},
        {{"t.gpx", "--within", ""}, 1},
        {{"t.gpx", "--within", "0"}, 1},
        {{"t.gpx", "--within", "0.000"}, 1},
        {{"t.gpx", "--within", "1e-400"}, 1},  // 0 once read
        {{"t.gpx", "--within", "1e999"}, 1},   // infinite once read
        {{"t.gpx", "--within", "-5"}, 1},
        {{"t.gpx", "--within", "+5"}, 1},
        {{"t.gpx", "--within", "inf"}, 1},
        {{"t.gpx", "--within", "nan"}, 1},
        {{"t.gpx", "--within", "0x10"}, 1},
        {{"t.gpx", "--within", "5m"}, 1},
        {{"t.gpx", "--within", "1e"}, 1},
        {{"t.gpx", "--within", "."}, 1},
    };
    for (const CommandLineCase& c : cases) {
        preview::PreviewSettings settings;
        std::string line;
        for (const std::string& arg : c.args) line += arg + ' ';
        EXPECT_EQ(c.expected, parse(c.args, &settings)) << line;
    }
}

TEST(PreviewCommandLine, AnExistingAbsolutePathIsTheTrackAndOtherSlashesAreThresholds) {
    preview::PreviewSettings s;
    ASSERT_EQ(0, parse({"/data/t.gpx", "/m12.5", "/X2000", "-a7", "/e", "--fit", "40", "--within", "7.5", "--sweep",
                        "--output", "out.svg", "--format", "gpx"},
                       &s));
    EXPECT_STREQ("/data/t.gpx", s.track_path);
    EXPECT_STREQ("out.svg", s.output_path);
    EXPECT_EQ(40, s.fit_budget);
    EXPECT_EQ(7.5, s.within_m);
    EXPECT_TRUE(s.sweep);
    EXPECT_EQ(TrackFormat::gpx, s.format);
    EXPECT_EQ(12.5, s.limits.min_distance_m);
    EXPECT_EQ(2000.0, s.limits.max_distance_m);
    EXPECT_EQ(7.0, s.limits.max_angle_deg);
    EXPECT_EQ(0.0, s.limits.max_orth_error_m);  // no number reads as 0
    // Once the track is named, a second existing path is a threshold
    // option again: 'd' is no threshold letter.
    EXPECT_EQ(1, parse({"/data/t.gpx", "/data/t.gpx"}, &s));
}

TEST(PreviewCommandLine, ViewAndSize) {
    preview::PreviewSettings s;
    ASSERT_EQ(0, parse({"t.gpx"}, &s));
    EXPECT_FALSE(s.has_view);
    EXPECT_EQ(0, s.width_px);
    EXPECT_EQ(0, s.height_px);
    ASSERT_EQ(0, parse({"t.gpx", "--view", "-33.9,151.25,-33.8,+151.3", "--size", "1280x960"}, &s));
    EXPECT_TRUE(s.has_view);
    EXPECT_EQ(-33.9, s.view.south_deg);
    EXPECT_EQ(151.25, s.view.west_deg);
    EXPECT_EQ(-33.8, s.view.north_deg);
    EXPECT_EQ(151.3, s.view.east_deg);
    EXPECT_EQ(1280, s.width_px);
    EXPECT_EQ(960, s.height_px);
    // Across the 180th meridian, west is greater than east.
    ASSERT_EQ(0, parse({"t.gpx", "--view", "-17.1,179.9,-16.9,-179.9"}, &s));
    EXPECT_EQ(179.9, s.view.west_deg);
    EXPECT_EQ(-179.9, s.view.east_deg);
    for (const char* view : {"1,2,3", "2,0,1,1", "1,0,1,1", "1,0,2,1,", "1.,0,2,1x", "1,0,2,+-1", "91,0,92,1"})
        EXPECT_EQ(1, parse({"t.gpx", "--view", view}, &s)) << view;
    for (const char* size : {"199x300", "200x299", "4097x300", "200x4097", "0800x0600x", "800 x600"})
        EXPECT_EQ(1, parse({"t.gpx", "--size", size}, &s)) << size;
    EXPECT_EQ(0, parse({"t.gpx", "--size", "0800x0600"}, &s));
}

// A view's window fitted into the map: widened to fill it about its
// middle, across the 180th meridian too, and what lies in it.
TEST(PreviewProjection, ViewWindows) {
    preview::TrackExtent extent;
    preview::start_extent(&extent);
    core::TrackPoint point;
    for (double lat : {-60.0, 60.0}) {
        core::set_point_degrees(&point, lat, 179.0);
        preview::extend(&extent, point);
    }
    // The track's middle latitude is 0: a degree is as wide as high.
    preview::Projection p = preview::fit_window({10.0, 179.5, 11.0, -179.5}, extent, 1040, 1000);
    EXPECT_EQ(1000.0, p.map_width);
    EXPECT_EQ(1000.0 - 40 - 26 - 8 * 18, p.map_height);
    preview::Window drawn = preview::drawn_window(p);
    EXPECT_DOUBLE_EQ(10.0, drawn.south_deg);
    EXPECT_DOUBLE_EQ(11.0, drawn.north_deg);
    double half = 1.0 * 1000.0 / p.map_height / 2;
    EXPECT_NEAR(180.0 - half, drawn.west_deg, 1e-9);
    EXPECT_NEAR(-180.0 + half, drawn.east_deg, 1e-9);
    EXPECT_TRUE(preview::in_window(p, 10.5, 179.9));
    EXPECT_TRUE(preview::in_window(p, 10.5, -179.9));
    EXPECT_TRUE(preview::in_window(p, 10.5, 180.1));  // as a reader may give it
    EXPECT_FALSE(preview::in_window(p, 11.01, 179.9));
    EXPECT_FALSE(preview::in_window(p, 10.5, 178.0));
    EXPECT_FALSE(preview::in_window(p, 10.5, 0.0));
    // Either side of the meridian lies on the same map, west to east.
    double west_x = preview::pixel_x(p, preview::view_longitude(p, 179.9));
    double east_x = preview::pixel_x(p, preview::view_longitude(p, -179.9));
    EXPECT_NEAR(20.0 + 500.0, (west_x + east_x) / 2, 1e-6);
    EXPECT_LT(west_x, east_x);
    EXPECT_NEAR(20.0, preview::pixel_y(p, 11.0), 1e-9);
}

struct FormatCase {
    std::string head;
    TrackFormat expected;
};

TEST(PreviewFormat, JudgedFromTheHead) {
    const FormatCase cases[] = {
        {std::string("MsRcd\0\x05\0\0\0", 10), TrackFormat::records},
        {"MsRcd", TrackFormat::unknown},  // the zero byte is part of the signature
        {"OziExplorer Track Point File Version 2.1\r\nWGS 84\r\n", TrackFormat::plt},
        {"<?xml version=\"1.0\"?><gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"/>", TrackFormat::gpx},
        {"<?xml version=\"1.0\"?>\n<gpx version=\"1.1\"><wpt lat=\"1\" lon=\"2\"/>", TrackFormat::gpx},
        // A track point tag wins over sentences quoted in a description.
        {"<desc>\n$GPRMC,1,A,*00\n</desc><trkpt lat=\"1\" lon=\"2\"/>", TrackFormat::gpx},
        {"$GPGGA,120000,5500.000,N,08200.000,E,1,08,0.9,100,M,,M,,*47\r\n", TrackFormat::nmea},
        {"garbage first\n!AIVDM,1,1,,A,1,0*00\n", TrackFormat::nmea},
        {"x$GPRMC,120000,A\n", TrackFormat::unknown},  // not at a line start
        {std::string("\xff\xfe$\0G\0P\0", 8), TrackFormat::unknown},  // UTF-16
        {"", TrackFormat::unknown},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(c.expected, preview::judge_head(reinterpret_cast<const unsigned char*>(c.head.data()),
                                                    static_cast<int>(c.head.size())))
            << c.head;
}

TEST(PreviewFormat, EachFormatBindsItsConverter) {
    const struct {
        TrackFormat format;
        const char* name;
        const char* converter;
        const core::ProgramInfo* program;
    } cases[] = {
        {TrackFormat::nmea, "nmea", "Tolvek", &converters::tolvek},
        {TrackFormat::records, "records", "Brisham", &converters::brisham},
        {TrackFormat::plt, "plt", "Quendal", &converters::quendal},
        {TrackFormat::gpx, "gpx", "Marovin", &converters::marovin},
    };
    for (const auto& c : cases) {
        const preview::FormatBinding& binding = preview::binding_of(c.format);
        EXPECT_STREQ(c.name, binding.name);
        EXPECT_STREQ(c.converter, binding.converter);
        EXPECT_EQ(c.program, binding.program) << c.name;
        EXPECT_EQ(c.format, preview::format_named(c.name));
    }
    EXPECT_EQ(TrackFormat::unknown, preview::format_named("unknown"));
    EXPECT_EQ(TrackFormat::unknown, preview::format_named("GPX"));
}

// The judgement rt2preview and the page's judge command share: the file
// opened, its head judged and the stream back at its first byte; a named
// format is taken unjudged; a missing file and an unknown head end the
// run.
TEST(PreviewFormat, JudgeTrackOpensJudgesAndRewinds) {
    test_support::TempDir dir;
    std::string track = dir.file("t.txt"), other = dir.file("u.txt");
    test_support::write_file(track, "OziExplorer Track Point File Version 2.1\r\n");
    EXPECT_STREQ("plt", preview::judge_track(track.c_str(), TrackFormat::unknown).name);
    unsigned char first[3];
    ASSERT_EQ(3u, core::read_bytes(&core::input_stream, first, sizeof first));
    EXPECT_EQ("Ozi", std::string(first, first + 3));
    core::close_input(&core::input_stream);
    EXPECT_STREQ("gpx", preview::judge_track(track.c_str(), TrackFormat::gpx).name);
    core::close_input(&core::input_stream);

    test_support::write_file(other, "MsRcd");
    test_support::expect_abort([&] { preview::judge_track(other.c_str(), TrackFormat::unknown); }, 2,
                               "Unknown track file format!\n");
    test_support::expect_abort([&] { preview::judge_track(dir.file("none").c_str(), TrackFormat::unknown); }, 2,
                               "Input file open error!\n");
}

TEST(PreviewConverterLine, PathsAConverterTakes) {
    EXPECT_EQ("../../data/t.gpx", preview::converter_path("/data/t.gpx", "/home/me"));
    EXPECT_EQ("./data/t.gpx", preview::converter_path("/data/t.gpx", "/"));
    EXPECT_EQ("../data/t.gpx", preview::converter_path("/data/t.gpx", "C:\\work"));
    EXPECT_EQ("tracks/t.gpx", preview::converter_path("tracks/t.gpx", "/home/me"));
    EXPECT_EQ("\"my track.gpx\"", preview::converter_path("my track.gpx", "/home/me"));
    EXPECT_EQ("C:\\t\\\xc3\xa9t\xc3\xa9.gpx", preview::converter_path("C:\\t\\\xc3\xa9t\xc3\xa9.gpx", ""));

    core::RunSettings limits = core::default_settings;
    limits.min_distance_m = 0.1;
    limits.max_distance_m = 1e20;
    limits.max_angle_deg = 12.5;
    EXPECT_EQ("Marovin t.gpx forward.rt2 backward.rt2 /m0.1 /x1e+20 /a12.5 /e50",
              preview::converter_command("Marovin", "t.gpx", limits));
}

TEST(PreviewPicture, TextIsValidXmlWhateverTheNameHolds) {
    EXPECT_EQ("a&amp;b &lt;c&gt; &quot;d&quot;", preview::xml_text("a&b <c> \"d\""));
    EXPECT_EQ("\xc3\xa9t\xc3\xa9 \xf0\x9f\x97\xba", preview::xml_text("\xc3\xa9t\xc3\xa9 \xf0\x9f\x97\xba"));
    const std::string replacement = "\xef\xbf\xbd";
    EXPECT_EQ("a" + replacement + "b", preview::xml_text("a\xff" "b"));
    EXPECT_EQ(replacement + replacement, preview::xml_text("\xc0\xaf"));  // overlong '/'
    EXPECT_EQ(replacement + replacement + replacement, preview::xml_text("\xed\xa0\x80"));  // surrogate
    EXPECT_EQ("x" + replacement + replacement, preview::xml_text("x\xe2\x82"));  // cut short
    EXPECT_EQ(replacement, preview::xml_text("\x01"));
}

TEST(PreviewPicture, LongitudesStayContinuousAcrossTheDateLine) {
    preview::LongitudeUnwrap unwrap = {};
    const double read[] = {179.9, -179.9, -179.7, 179.8, 190.0, -170.0};
    const double drawn[] = {179.9, 180.1, 180.3, 179.8, 190.0, 190.0};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(drawn[i], preview::unwrap_longitude(&unwrap, read[i]), 1e-9) << i;
}

TEST(PreviewPicture, ScaleBarLengthsAndLabels) {
    EXPECT_EQ(200.0, preview::scale_bar_length(240.0));
    EXPECT_EQ(5000.0, preview::scale_bar_length(9999.0));
    EXPECT_EQ(1.0, preview::scale_bar_length(0.2));
    EXPECT_EQ("500 m", preview::distance_label(500.0));
    EXPECT_EQ("2 km", preview::distance_label(2000.0));
    EXPECT_EQ("999.5 m", preview::distance_label(999.5));
    EXPECT_EQ("1.89 km", preview::distance_label(1894.1));
    EXPECT_EQ("12.3 km", preview::distance_label(12345.0));
}

// The fit's grid: each combination of the four thresholds once.
TEST(PreviewFit, TheGridHoldsEveryCombinationOnce) {
    std::set<std::tuple<double, double, double, double>> seen;
    for (int k = 0; k < preview::grid_size; ++k) {
        core::RunSettings s = preview::grid_setting(k, core::default_settings);
        seen.insert({s.min_distance_m, s.max_distance_m, s.max_angle_deg, s.max_orth_error_m});
        EXPECT_EQ(core::default_settings.forward_path, s.forward_path);
    }
    EXPECT_EQ(static_cast<size_t>(preview::grid_size), seen.size());
    EXPECT_EQ(std::make_tuple(0.0, 1000.0, 1.0, 1.0), *seen.begin());
    EXPECT_EQ(std::make_tuple(20.0, 1e7, 180.0, 1e9), *seen.rbegin());
}

// The /x levels the fit tries the ladder at: the user's, then the 1-2-5
// series above it up to 1000 km.
TEST(PreviewFit, DistanceLevels) {
    double levels[preview::most_distance_levels];
    int count = preview::distance_levels(1000.0, levels);
    ASSERT_EQ(10, count);
    EXPECT_EQ(1000.0, levels[0]);
    EXPECT_EQ(2000.0, levels[1]);
    EXPECT_EQ(1e6, levels[count - 1]);
    EXPECT_EQ(17, preview::distance_levels(-1.0, levels));  // from 10 m
    EXPECT_EQ(10.0, levels[1]);
}

}  // namespace
