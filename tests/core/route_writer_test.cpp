#include "core/route_writer.h"

#include <gtest/gtest.h>
#include <string>

#include "core/command_line.h"
#include "core/entry.h"
#include "core/platform.h"
#include "tests/support/test_support.h"

namespace {

using test_support::backward_header;
using test_support::contents_of;
using test_support::expect_abort;
using test_support::forward_header;
using test_support::point_at;
using test_support::read_file;
using test_support::write_file;

class RouteWriter : public ::testing::Test {
protected:
    void SetUp() override {
        core::settings = core::default_settings;
        forward_path = dir.file("f.rt2");
        backward_path = dir.file("b.rt2");
        core::settings.forward_path = forward_path.c_str();
        core::settings.backward_path = backward_path.c_str();
        core::output_stream = test_support::temporary_file();
        core::waypoint_count = 0;
    }
    void TearDown() override { close_slots(); }
    static void close_slots() {
        test_support::close_input_slot();
        if (core::output_stream != nullptr) std::fclose(core::output_stream);
        core::output_stream = nullptr;
    }
    // Runs the backward pass over a forward route with these bytes.
    std::string backward_of(const std::string& forward_bytes, int count) {
        write_file(forward_path, forward_bytes);
        close_slots();
        core::waypoint_count = count;
        core::write_backward_route();
        close_slots();
        return read_file(backward_path);
    }
    test_support::TempDir dir;
    std::string forward_path, backward_path;
};

TEST_F(RouteWriter, ForwardHeaderIsTwoRecordsLong) {
    core::write_route_header(core::forward_route);
    EXPECT_EQ(forward_header(), contents_of(core::output_stream));
    EXPECT_EQ(74u, forward_header().size());
}

TEST_F(RouteWriter, BackwardHeader) {
    core::write_route_header(core::backward_route);
    EXPECT_EQ(backward_header(), contents_of(core::output_stream));
}

TEST_F(RouteWriter, WaypointRecordsAreNumberedInOrder) {
    struct Case {
        double lat, lon;
        const char* record;
    } cases[] = {
        {55.012345, 82.93, "W,RW000001, 55.012345,  82.930000,0\r\n"},
        {1.5, -70.25, "W,RW000002,  1.500000, -70.250000,0\r\n"},
        {-99.9999994, -369.9999996, "W,RW000003,-99.999999,-370.000000,0\r\n"},
        {48.1173, 11.516666666666667, "W,RW000004, 48.117300,  11.516667,0\r\n"},
        {0.0000004, -0.0000004, "W,RW000005,  0.000000,  -0.000000,0\r\n"},
    };
    std::string expected;
    for (const Case& c : cases) {
        core::TrackPoint point = point_at(c.lat, c.lon);
        core::write_waypoint(&point);
        EXPECT_STREQ(c.record, point.text);
        expected += c.record;
    }
    EXPECT_EQ(5, core::waypoint_count);
    EXPECT_EQ(expected, contents_of(core::output_stream));
}

TEST_F(RouteWriter, WideCoordinatesLengthenTheRecord) {
    core::TrackPoint point = point_at(-100.0, 82.0);
    core::write_waypoint(&point);
    EXPECT_EQ("W,RW000001,-100.000000,  82.000000,0\r\n", contents_of(core::output_stream));
}

TEST_F(RouteWriter, HugeCoordinatesStayInsideTheText) {
    core::TrackPoint point = point_at(1e300, -1e300);
    core::write_waypoint(&point);
    EXPECT_EQ(159u, contents_of(core::output_stream).size());
    EXPECT_EQ(0, point.text[159]);
}

TEST_F(RouteWriter, MillionthWaypointHasSevenDigits) {
    core::waypoint_count = 999999;
    core::TrackPoint point = point_at(1, 2);
    core::write_waypoint(&point);
    EXPECT_STREQ("W,RW1000000,  1.000000,   2.000000,0\r\n", point.text);
}

TEST_F(RouteWriter, BackwardRouteReversesTheRecords) {
    std::string r1 = "W,RW000001, 55.000000,  82.000000,0\r\n";
    std::string r2 = "W,RW000002, 55.001000,  82.000000,0\r\n";
    std::string r3 = "W,RW000003, 55.002000,  82.000000,0\r\n";
    EXPECT_EQ(backward_header() + r3 + r2 + r1, backward_of(forward_header() + r1 + r2 + r3, 3));
}

TEST_F(RouteWriter, BackwardRouteOfOneAndOfNoRecord) {
    std::string r1 = "W,RW000001, 55.000000,  82.000000,0\r\n";
    EXPECT_EQ(backward_header() + r1, backward_of(forward_header() + r1, 1));
    EXPECT_EQ(backward_header(), backward_of(forward_header(), 0));
}

TEST_F(RouteWriter, BackwardRouteOfManyRecordsCrossesReadBlocks) {
    std::string forward = forward_header(), backward = backward_header();
    char line[64];
    for (int n = 1; n <= 5000; ++n) {
        std::snprintf(line, sizeof line, "W,RW%06d, 55.%06d,  82.000000,0\r\n", n, n);
        forward += line;
        backward.insert(75, line);
    }
    EXPECT_EQ(backward, backward_of(forward, 5000));
}

TEST_F(RouteWriter, ForwardRouteShorterThanTheCountFailsTheRead) {
    std::string r1 = "W,RW000001, 55.000000,  82.000000,0\r\n";
    write_file(forward_path, forward_header() + r1);
    close_slots();
    core::waypoint_count = 2;
    expect_abort(core::write_backward_route, 4, "Forward route file read error!\n");
    EXPECT_EQ(backward_header(), read_file(backward_path));
}

TEST_F(RouteWriter, LongerRecordFailsTheCheck) {
    std::string r1 = "W,RW000001, 55.000000,  82.000000,0\r\n";
    std::string r2 = "W,RW000002,-100.000000,  82.000000,0\r\n";
    write_file(forward_path, forward_header() + r1 + r2 + r1);
    close_slots();
    core::waypoint_count = 3;
    expect_abort(core::write_backward_route, 4, "Invalid data in forward route file!\n");
    EXPECT_EQ(backward_header(), read_file(backward_path));
}

TEST_F(RouteWriter, ForwardRouteChangedOnDiskFailsTheCheck) {
    std::string r1 = "W,RW000001, 55.000000,  82.000000,0\r\n";
    std::string changed = "X,RW000002, 55.001000,  82.000000,0\r\n";
    write_file(forward_path, forward_header() + r1 + changed);
    close_slots();
    core::waypoint_count = 2;
    expect_abort(core::write_backward_route, 4, "Invalid data in forward route file!\n");
}

TEST_F(RouteWriter, OpenFailuresOfTheBackwardPass) {
    close_slots();
    expect_abort(core::write_backward_route, 3, "Forward route file open error!\n");
    write_file(forward_path, forward_header());
    std::string missing_dir = dir.file("missing/b.rt2");
    core::settings.backward_path = missing_dir.c_str();
    expect_abort(core::write_backward_route, 3, "Backward route file open error!\n");
}

TEST_F(RouteWriter, WriteFailuresOfTheHeaders) {
    write_file(forward_path, "");
    // A file open for reading only: every write fails. Each failure closes
    // the slot, so it is filled again before the next.
    auto read_only = [this] {
        close_slots();
        core::output_stream = platform::open_file(forward_path.c_str(), "rb");
    };
    read_only();
    expect_abort([] { core::write_route_header(core::forward_route); }, 2,
                 "Output file write error!\n");
    read_only();
    expect_abort([] { core::write_route_header(core::backward_route); }, 3,
                 "Backward route file write error!\n");
    read_only();
    expect_abort(
        [] {
            core::TrackPoint point = point_at(1, 2);
            core::write_waypoint(&point);
        },
        2, "Output file write error!\n");
}

}  // namespace
