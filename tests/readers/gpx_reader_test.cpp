#include "readers/gpx/gpx_reader.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/entry.h"
#include "core/number_reader.h"
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
    static void close_input_slot_now() { test_support::close_input_slot(); }
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
        double lat_rad, lon_rad;  // as the thinning takes them
    } cases[] = {
        {R"(<trkpt lat="55.751244" lon="37.618423">)", 0, 55.751244, 37.618423, 0.9730427698827335, 0.6565653407579628},
        {R"(<trkpt lon="37.618423" lat="55.751244">)", 0, 55.751244, 37.618423, 0.9730427698827335, 0.6565653407579628},
        {R"(<trkpt lat="-33.9249" lon="-70.6693"/>)", 0, -33.9249, -70.6693, -0.5921012034098243, -1.233411965079629},
        {R"(<trkpt lat='100' lon='-370'>)", 0, 100.0, -370.0, 1.7453292519943295, -6.457718232379019},
        {R"(<trkpt lat="-100.0" lon="370.0">)", 0, -100.0, 370.0, -1.7453292519943295, 6.457718232379019},
        {R"(<trkpt lat="1.5e1" lon="2E2">)", 0, 15.0, 200.0, 0.2617993877991494, 3.490658503988659},
        {R"(<trkpt lat=" 12" lon="+13">)", 0, 12.0, 13.0, 0.20943951023931956, 0.22689280275926285},
        {R"(<trkpt lat="0x10" lon="-0x10">)", 0, 0.0, -0.0, 0.0, -0.0},
        {R"(<gpx:trkpt lon="1" lat="2">)", 0, 2.0, 1.0, 0.03490658503988659, 0.017453292519943295},
        {R"(<trkpt lat="abc" lon="5">)", 0, 5.0, 5.0,
         0.08726646259971647, 0.08726646259971647},  // the first digit further on
        {R"(<trkpt latitude="1" lon="2">)", 0, 1.0, 2.0, 0.017453292519943295, 0.03490658503988659},
        {R"(<trkpt lon="1">)", 1, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="1">)", 1, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="x" lon="y">)", 2, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="1" lon="y">)", 2, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="100.5" lon="1">)", 3, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="-100.5" lon="1">)", 3, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="1" lon="370.5">)", 3, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="1" lon="-370.5">)", 3, 0, 0, 0.0, 0.0},
        {R"(<trkpt lat="1e999" lon="1">)", 3, 0, 0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.code, parse(c.tag)) << c.tag;
        if (c.code != 0) continue;
        EXPECT_EQ(c.lat_deg, point.lat_deg) << c.tag;
        EXPECT_EQ(c.lon_deg, point.lon_deg) << c.tag;
        EXPECT_EQ(c.lat_rad, point.lat_rad) << c.tag;
        EXPECT_EQ(c.lon_rad, point.lon_rad) << c.tag;
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

// The points of the reader's contract, taken byte by byte: text up to a
// '<' passed over, the tag up to its '>' or its first 998 bytes (the rest
// then text), its text up to a zero, a track point start tag where it
// holds "trkpt" and not "/trkpt", and its "lat" and "lon" numbers.
int model_attribute(const std::string& text, const char* name, double* value) {
    size_t at = text.find(name);
    if (at == std::string::npos) return 1;
    const char* digit = text.c_str() + at;
    while (!(*digit >= '0' && *digit <= '9')) {
        if (*digit == 0) return 2;
        ++digit;
    }
    const char* start = digit[-1] == '-' ? digit - 1 : digit;
    if (digit[0] == '0' && (digit[1] == 'x' || digit[1] == 'X')) *value = start == digit ? 0.0 : -0.0;
    else *value = core::read_number(start);
    return 0;
}

Points model_points(const std::string& bytes) {
    Points points;
    size_t position = 0;
    for (;;) {
        size_t open = bytes.find('<', position);
        if (open == std::string::npos) return points;
        std::string tag;
        size_t next = open + 1;
        while (tag.size() < gpx::tag_buffer_size - 2) {
            if (next == bytes.size()) return points;
            char c = bytes[next++];
            if (c == '>') break;
            tag += c;
        }
        position = next;
        std::string text(tag.c_str());
        if (text.find("trkpt") == std::string::npos || text.find("/trkpt") != std::string::npos) continue;
        double lat, lon;
        if (model_attribute(text, "lat", &lat) != 0 || lat > 100.0 || lat < -100.0) continue;
        if (model_attribute(text, "lon", &lon) != 0 || lon > 370.0 || lon < -370.0) continue;
        points.emplace_back(lat, lon);
    }
}

// GPX-like bytes of the pieces that make the reader's roads part: track
// points and their end tags, "trkpt" in text, '<' inside tags, "/trkpt"
// after "trkpt", zero bytes, tags around the 998-byte cut, stray 'k's.
std::string gpx_like(std::mt19937_64& random, size_t size) {
    const char* numbers[] = {"55.7512", "-33.9", "0", "1e2", "0x1f", "-0.5", "abc", "100.5", "12345678901234567890"};
    auto number = [&] { return std::string(numbers[random() % 9]); };
    std::string bytes;
    while (bytes.size() < size) {
        switch (random() % 16) {
        case 0: case 1: case 2:
            bytes += "<trkpt lat=\"" + number() + "\" lon=\"" + number() + "\">";
            break;
        case 3: bytes += "</trkpt>\n  "; break;
        case 4: bytes += "<ele>12.5</ele><time>2025-12-08T08:00:01Z</time>"; break;
        case 5: bytes += random() & 1 ? "trkpt lat=1 lon=2 " : "k kk trkp"; break;
        case 6: bytes += "<x trkpt lat=3 lon=4 /trkpt>"; break;
        case 7: bytes += "<trkptrkpt lat=5 lon=6><a<trkpt lat=7 lon=8>"; break;
        case 8: bytes += std::string("<trkpt lat=9\0 lon=10>", 22); break;
        case 9: bytes += std::string("<trkpt\0 lat=9 lon=10>", 22); break;
        case 10: {
            // Tag texts of 995 to 1002 bytes, around the cut at 998.
            std::string pad(978 + random() % 8, ' ');
            bytes += random() & 1 ? "<trkpt lat=1" + pad + "lon=24>" : "<" + pad + "trkpt lat=3 lon=4>";
            break;
        }
        case 11: bytes += "<trkseg><trkpt lat='1' lon='2'/></trkseg>"; break;
        case 12: bytes += "> < >> <<trkpt lat=-1 lon=-2>"; break;
        case 13: bytes += "<rtept lat=\"1\" lon=\"2\"/><trkptx lat=\"3\" lon=\"4\">"; break;
        default:
            for (int i = 0; i < 8; ++i) bytes += "<>ktrp/ 0\0"[random() % 11];
            break;
        }
    }
    return bytes;
}

TEST_F(GpxReader, ReadsAsTheTagByTagModelAcrossBufferBoundaries) {
    std::mt19937_64 random(1999);
    for (int input = 0; input < 8; ++input) {
        std::string bytes = gpx_like(random, 150000 + random() % 100000);
        Points expected = model_points(bytes);
        Points got = points_of(bytes);
        ASSERT_EQ(expected.size(), got.size()) << "input " << input;

        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(test_support::bits_of(expected[i].first), test_support::bits_of(got[i].first)) << i;
            ASSERT_EQ(test_support::bits_of(expected[i].second), test_support::bits_of(got[i].second)) << i;
        }
        close_input_slot_now();
    }
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
