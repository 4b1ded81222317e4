#include "readers/gpx/gpx_reader.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "core/entry.h"
#include "tests/support/reader_test.h"
#include "tests/support/test_support.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

class GpxReader : public test_support::ReaderTest {
protected:
    Points points_of(const std::string& bytes) {
        open(bytes);
        Points points;
        core::TrackPoint next{};
        while (gpx::read_next_point(&next) == 0) points.emplace_back(next.lat_deg, next.lon_deg);
        return points;
    }
    int parse(const std::string& bytes) {
        open(bytes);
        point = core::TrackPoint{};
        return gpx::read_trkpt_tag(&point);
    }
    core::TrackPoint point;
};

TEST_F(GpxReader, TrackPointTags) {
    struct Case {
        std::string tag;
        int code;
        double lat_deg, lon_deg;
    } cases[] = {
        {R"(<trkpt lat="55.751244" lon="37.618423">)", 0, 55.751244, 37.618423},
        {R"(<trkpt lon="37.618423" lat="55.751244">)", 0, 55.751244, 37.618423},
        {R"(<trkpt lat="-33.9249" lon="-70.6693"/>)", 0, -33.9249, -70.6693},
        {R"(<trkpt lat='100' lon='-370'>)", 0, 100.0, -370.0},
        {R"(<trkpt lat="-100.0" lon="370.0">)", 0, -100.0, 370.0},
        {R"(<trkpt lat="1.5e1" lon="2E2">)", 0, 15.0, 200.0},
        {R"(<trkpt lat=" 12" lon="+13">)", 0, 12.0, 13.0},
        {R"(<trkpt lat="0x10" lon="-0x10">)", 0, 0.0, -0.0},
        {R"(<gpx:trkpt lon="1" lat="2">)", 0, 2.0, 1.0},
        {R"(<trkpt lat="abc" lon="5">)", 0, 5.0, 5.0},  // the first digit further on
        {R"(<trkpt latitude="1" lon="2">)", 0, 1.0, 2.0},
        {R"(<trkpt lon="1">)", 1, 0, 0},
        {R"(<trkpt lat="1">)", 1, 0, 0},
        {R"(<trkpt lat="x" lon="y">)", 2, 0, 0},
        {R"(<trkpt lat="1" lon="y">)", 2, 0, 0},
        {R"(<trkpt lat="100.5" lon="1">)", 3, 0, 0},
        {R"(<trkpt lat="-100.5" lon="1">)", 3, 0, 0},
        {R"(<trkpt lat="1" lon="370.5">)", 3, 0, 0},
        {R"(<trkpt lat="1" lon="-370.5">)", 3, 0, 0},
        {R"(<trkpt lat="1e999" lon="1">)", 3, 0, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.code, parse(c.tag)) << c.tag;
        if (c.code != 0) continue;
        EXPECT_EQ(c.lat_deg, point.lat_deg) << c.tag;
        EXPECT_EQ(c.lon_deg, point.lon_deg) << c.tag;
        EXPECT_EQ(c.lat_deg * 0.017453292519943295, point.lat_rad);
        EXPECT_EQ(c.lon_deg * 0.017453292519943295, point.lon_rad);
    }
}

TEST_F(GpxReader, OnlyTrackPointStartTagsGivePoints) {
    EXPECT_EQ((Points{{1, 2}, {3, 4}, {5, 6}, {7, 8}}),
              points_of("<?xml version=\"1.0\"?><gpx>"
                        "<wpt lat=\"50\" lon=\"50\"><name>w</name></wpt>"
                        "<rte><rtept lat=\"51\" lon=\"51\"/></rte>"
                        "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>3</ele>"
                        "<time>2026-12-08T08:00:00Z</time></trkpt>"
                        "<trkpt lat=\"3\" lon=\"4\"/></trkseg>"
                        "<trkseg><trkpt lat=\"5\" lon=\"6\"></trkpt></trkseg></trk>"
                        "<trk><trkseg><trkpt lat=\"7\" lon=\"8\"></trkpt></trkseg></trk></gpx>"));
}

TEST_F(GpxReader, EndOfInput) {
    EXPECT_EQ(Points{}, points_of(""));
    EXPECT_EQ(Points{}, points_of("<gpx><wpt lat=\"1\" lon=\"2\"/></gpx>"));
    EXPECT_EQ((Points{{1, 2}}), points_of("<trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\""));
}

TEST_F(GpxReader, ZeroByteEndsTheTagText) {
    EXPECT_EQ(1, parse(std::string("<trkpt lat=\"1\"\0 lon=\"2\">", 24)));
}

TEST_F(GpxReader, LongTagsAreCutAt998Bytes) {
    // "lon" begins at byte 998 of the tag text: cut off, the tag gives no
    // point and its rest is not a tag.
    std::string head = "trkpt lat=\"1\"";
    std::string cut = "<" + head + std::string(998 - head.size(), ' ') + "lon=\"2\"/>";
    EXPECT_EQ(1, parse(cut));
    EXPECT_EQ(Points{}, points_of(cut));
    // "lon" ending at byte 998 is kept, its value cut to its first digit.
    std::string kept = "<" + head + std::string(998 - head.size() - 6, ' ') + "lon=\"23\"/>";
    EXPECT_EQ((Points{{1, 2}}), points_of(kept));
}

TEST(ReadNextTag, CutsAtAngleBrackets) {
    test_support::fill_input_slot("text <a b='<'> between <c");
    char buffer[gpx::tag_buffer_size];
    EXPECT_EQ(0, gpx::read_next_tag(buffer, sizeof buffer));
    EXPECT_STREQ("a b='<'", buffer);
    EXPECT_EQ(-2, gpx::read_next_tag(buffer, sizeof buffer));
    EXPECT_EQ(-1, gpx::read_next_tag(buffer, sizeof buffer));
    test_support::close_input_slot();
}

}  // namespace
