#include "readers/records/records_reader.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/entry.h"
#include "tests/support/record_builder.h"
#include "tests/support/reader_test.h"
#include "tests/support/test_support.h"

namespace {

using test_support::capture_stdout;
using test_support::expect_abort;
using test_support::le32;
using test_support::record;
using test_support::signature;
using test_support::track_body;

class RecordsReader : public test_support::ReaderTest {
protected:
    // Opens the bytes, checks the header and reads every point; the points'
    // latitudes and longitudes in semicircles, and what was printed.
    std::vector<test_support::Semicircles> points_of(const std::string& bytes) {
        open(bytes);
        records::check_input_header();
        std::vector<test_support::Semicircles> points;
        printed = capture_stdout([&] {
            core::TrackPoint point{};
            while (records::read_next_point(&point) == 0)
                points.emplace_back(static_cast<int64_t>(point.lat_deg * 2147483648.0 / 180.0),
                                    static_cast<int64_t>(point.lon_deg * 2147483648.0 / 180.0));
        });
        return points;
    }
    std::string printed;
};

using Points = std::vector<test_support::Semicircles>;

TEST(SemicirclesToDegrees, ExactValues) {
    EXPECT_EQ(90.0, records::semicircles_to_degrees(1 << 30));
    EXPECT_EQ(45.0, records::semicircles_to_degrees(1 << 29));
    EXPECT_EQ(-180.0, records::semicircles_to_degrees(INT32_MIN));
    EXPECT_EQ(179.99999991618097, records::semicircles_to_degrees(INT32_MAX));
    EXPECT_EQ(8.381903171539307e-8, records::semicircles_to_degrees(1));
}

TEST_F(RecordsReader, HeaderFailures) {
    struct Case {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"", "Input file read error!\n"},
        {"MsRcd", "Input file read error!\n"},
        {"MsRcdX", "Incorrect file format!\n"},
        {std::string("MSRCD\0", 6), "Incorrect file format!\n"},
        {std::string("msrcd\0", 6), "Incorrect file format!\n"},
        {std::string("MsRce\0rest", 10), "Incorrect file format!\n"},
    };
    for (const Case& c : cases) {
        open(c.bytes);
        expect_abort(records::check_input_header, 2, c.message);
    }
}

TEST_F(RecordsReader, TracksBetweenOtherRecordsFormOneSequence) {
    std::string bytes = signature() + record('A', "\x0a\x00") + record('D', "xy") +
                        record('T', track_body("First", {{1, 2}, {3, 4}})) +
                        record('W', std::string(40, 'T')) + record('T', "") +
                        le32(0) + "T" +  // a zero-length record: its type is never read
                        record('T', track_body("Empty", {})) +
                        record('T', track_body("Second", {{5, 6}})) + record('V', "\x01");
    EXPECT_EQ((Points{{1, 2}, {3, 4}, {5, 6}}), points_of(bytes));
    EXPECT_EQ("", printed);
}

TEST_F(RecordsReader, SignatureAloneOrNoTrackGivesNothingSilently) {
    EXPECT_EQ(Points{}, points_of(signature()));
    EXPECT_EQ(Points{}, points_of(signature() + record('W', "abc") + "\x01\x02"));
    EXPECT_EQ("", printed);
}

TEST_F(RecordsReader, CoordinatesAreDeliveredWithoutRangeCheck) {
    open(
        signature() + record('T', track_body("", {{INT32_MAX, INT32_MIN}, {1 << 30, 1 << 29}})));
    records::check_input_header();
    core::TrackPoint point{};
    ASSERT_EQ(0, records::read_next_point(&point));
    EXPECT_EQ(179.99999991618097, point.lat_deg);
    EXPECT_EQ(-180.0, point.lon_deg);
    ASSERT_EQ(0, records::read_next_point(&point));
    EXPECT_EQ(90.0, point.lat_deg);
    EXPECT_EQ(45.0, point.lon_deg);
    EXPECT_EQ(1.5707963267948966, point.lat_rad);
    EXPECT_EQ(0.7853981633974483, point.lon_rad);
}

TEST_F(RecordsReader, BrokenTracksPrintOneErrorAndKeepThePointsBefore) {
    struct Case {
        std::string bytes;
        Points points;
        const char* why;
    } cases[] = {
        {record('T', track_body("x", {{1, 2}, {3, 4}})).substr(0, 5 + 2 + 5 + 4 + 31 + 6),
         {{1, 2}}, "last point cut inside its longitude"},
        {record('T', track_body("x", {{1, 2}, {3, 4}})).substr(0, 5 + 2 + 5 + 4 + 31 + 2),
         {{1, 2}}, "last point cut inside its latitude"},
        {record('T', track_body("x", 3, {{1, 2}, {3, 4}})), {{1, 2}, {3, 4}},
         "more points declared than follow"},
        {record('T', track_body("x", -1, {{1, 2}})), {}, "negative point count"},
        {record('T', track_body(std::string(151, 'n'), {{1, 2}})), {}, "name of 151 bytes"},
        {le32(10) + "Tunended", {}, "end of file inside the name"},
        {le32(10) + "Tname" + std::string(1, '\0') + "abc", {}, "track bytes cut"},
        {le32(10) + "Tname" + std::string(1, '\0') + "abcde\x01", {}, "point count cut"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.points, points_of(signature() + c.bytes)) << c.why;
        EXPECT_EQ("Track read error!\n", printed) << c.why;
    }
}

TEST_F(RecordsReader, NameOf150BytesIsRead) {
    EXPECT_EQ((Points{{7, 8}}), points_of(signature() +
                                          record('T', track_body(std::string(150, 'n'), {{7, 8}}))));
    EXPECT_EQ("", printed);
}

TEST_F(RecordsReader, BytesAfterThePointsArePassedOver) {
    EXPECT_EQ((Points{{1, 2}, {3, 4}}),
              points_of(signature() + record('T', track_body("a", {{1, 2}}) + "trailing bytes") +
                        record('T', track_body("b", {{3, 4}}))));
    EXPECT_EQ("", printed);
}

TEST_F(RecordsReader, LengthShorterThanThePointsStillReadsThemAll) {
    // The length ends the record at its second point, so the walk goes on
    // there and takes that point for a track record ('T' is the first byte
    // of its longitude) whose point count, from the 0xAB bytes, is negative.
    std::string body = track_body("a", {{1, 2}, {26, 'T'}});
    std::string bytes = signature() + le32(2 + 5 + 4 + 31) + "T" + body;
    EXPECT_EQ((Points{{1, 2}, {26, 'T'}}), points_of(bytes));
    EXPECT_EQ("Track read error!\n", printed);
}

TEST_F(RecordsReader, NegativeOrOverlongLengthEndsTheRecordsSilently) {
    EXPECT_EQ((Points{{1, 2}}), points_of(signature() + record('T', track_body("a", {{1, 2}})) +
                                          le32(-5) + "T" + track_body("b", {{3, 4}})));
    EXPECT_EQ("", printed);
    EXPECT_EQ((Points{{1, 2}}), points_of(signature() + record('T', track_body("a", {{1, 2}})) +
                                          le32(1000) + "W"));
    EXPECT_EQ("", printed);
}

TEST_F(RecordsReader, HeaderCheckRestartsTheWalk) {
    std::string bytes = signature() + record('T', track_body("a", {{1, 2}, {3, 4}}));
    points_of(bytes.substr(0, bytes.size() - 31));
    EXPECT_EQ((Points{{1, 2}, {3, 4}}), points_of(bytes));
}

}  // namespace
