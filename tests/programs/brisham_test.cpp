// Brisham end to end: the signature check, tracks across records, a cut
// last track, and a file past 2 GiB.
#include <string>

#include "core/platform.h"

#include "tests/programs/program_test.h"
#include "tests/support/record_builder.h"

namespace {

using test_support::backward_header;
using test_support::forward_header;
using test_support::le32;
using test_support::record;
using test_support::semicircles_of;
using test_support::signature;
using test_support::track_body;

class Brisham : public ProgramRun {
protected:
    test_support::RunResult brisham() { return run(BRISHAM_PATH, {"t.rec", "f.rt2", "b.rt2"}); }
};

// Points 0.001 degrees apart due north from 55N 82E.
std::vector<test_support::Semicircles> northward(int first, int count) {
    std::vector<test_support::Semicircles> points;
    for (int i = first; i < first + count; ++i)
        points.emplace_back(semicircles_of(55.0 + 0.001 * i), semicircles_of(82.0));
    return points;
}

const char record_1[] = "W,RW000001, 55.000000,  82.000000,0\r\n";
const char record_2[] = "W,RW000002, 55.002000,  82.000000,0\r\n";

TEST_F(Brisham, ConvertsTracksAcrossRecords) {
    write("t.rec", signature() + record('D', "\x6d") + record('T', track_body("one", northward(0, 2))) +
                       record('W', "waypoint") + record('T', track_body("two", northward(2, 1))));
    test_support::RunResult result = brisham();
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(settings_echo("t.rec", "f.rt2", "b.rt2") + "Start: " + record_1 +
                  "\r     3      2      222.4 \r\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header() + record_1 + record_2, read("f.rt2"));
    EXPECT_EQ(backward_header() + record_2 + record_1, read("b.rt2"));
}

TEST_F(Brisham, CutLastTrackKeepsThePointsBeforeIt) {
    std::string track = record('T', track_body("one", northward(0, 4)));
    write("t.rec", signature() + track.substr(0, track.size() - 4 - 23));
    test_support::RunResult result = brisham();
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(settings_echo("t.rec", "f.rt2", "b.rt2") + "Start: " + record_1 +
                  "Track read error!\n\r     3      2      222.4 \r\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header() + record_1 + record_2, read("f.rt2"));
}

TEST_F(Brisham, SignatureFailuresCreateNoRoute) {
    struct Case {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"MsRcd", "Input file read error!\n"},
        {"MsRcd\x01", "Incorrect file format!\n"},
        {std::string("MSRCD\0", 6), "Incorrect file format!\n"},
    };
    for (const Case& c : cases) {
        write("t.rec", c.bytes);
        test_support::RunResult result = brisham();
        EXPECT_EQ(2, result.exit_code) << c.message;
        EXPECT_EQ(settings_echo("t.rec", "f.rt2", "b.rt2") + c.message, result.stdout_bytes);
        EXPECT_FALSE(exists("f.rt2"));
    }
}

TEST_F(Brisham, NoTrackIsTooShort) {
    write("t.rec", signature() + record('W', "abc") + record('T', track_body("x", {})));
    test_support::RunResult result = brisham();
    EXPECT_EQ(5, result.exit_code);
    EXPECT_EQ(settings_echo("t.rec", "f.rt2", "b.rt2") + "Too short input file!\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header(), read("f.rt2"));
}

// A record of 2^31 - 1 bytes puts the track record after it past 2 GiB;
// the file is sparse, so it costs no disk.
TEST_F(Brisham, TrackPast2GiB) {
    std::string head = signature() + le32(INT32_MAX) + "W";
    std::string track = record('T', track_body("far", northward(0, 3)));
    std::FILE* file = platform::open_file(dir.file("t.rec").c_str(), "wb");
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(head.size(), std::fwrite(head.data(), 1, head.size(), file));
    int64_t track_offset = 6 + 5 + static_cast<int64_t>(INT32_MAX);
    ASSERT_TRUE(platform::seek_file(file, track_offset));
    ASSERT_EQ(track.size(), std::fwrite(track.data(), 1, track.size(), file));
    ASSERT_EQ(0, std::fclose(file));
    test_support::RunResult result = brisham();
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(forward_header() + record_1 + record_2, read("f.rt2"));
}

}  // namespace
