// Marovin end to end: a whole conversion and a file with no track points.
#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/programs/program_test.h"

namespace {

using test_support::backward_header;
using test_support::forward_header;

class Marovin : public ProgramRun {
protected:
    test_support::RunResult marovin() { return run(MAROVIN_PATH, {"t.gpx", "f.rt2", "b.rt2"}); }
};

TEST_F(Marovin, ConvertsTrackPointsOfAllSegments) {
    write("t.gpx",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"test\">\n"
          "<wpt lat=\"10.0\" lon=\"10.0\"/>\n<trk><trkseg>\n"
          "<trkpt lat=\"55.000\" lon=\"82.000\"><ele>100</ele></trkpt>\n</trkseg><trkseg>\n"
          "<trkpt lon=\"82.000\" lat=\"55.001\"/>\n<trkpt lat=\"55.002\" lon=\"82.000\"></trkpt>\n"
          "</trkseg></trk></gpx>\n");
    test_support::RunResult result = marovin();
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(settings_echo("t.gpx", "f.rt2", "b.rt2") +
                  "Start: W,RW000001, 55.000000,  82.000000,0\r\n\r     3      2      222.4 \r\n",
              result.stdout_bytes);
    const std::string r1 = "W,RW000001, 55.000000,  82.000000,0\r\n";
    const std::string r2 = "W,RW000002, 55.002000,  82.000000,0\r\n";
    EXPECT_EQ(forward_header() + r1 + r2, read("f.rt2"));
    EXPECT_EQ(backward_header() + r2 + r1, read("b.rt2"));
}

TEST_F(Marovin, RoutePointsAloneAreTooShort) {
    write("t.gpx", "<gpx><rte><rtept lat=\"1\" lon=\"2\"/><rtept lat=\"3\" lon=\"4\"/>"
                   "<rtept lat=\"5\" lon=\"6\"/></rte></gpx>");
    test_support::RunResult result = marovin();
    EXPECT_EQ(5, result.exit_code);
    EXPECT_EQ(settings_echo("t.gpx", "f.rt2", "b.rt2") + "Too short input file!\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header(), read("f.rt2"));
    EXPECT_FALSE(exists("b.rt2"));
}

}  // namespace

namespace {

// A random walk of 20000 points at most 0.15 m apart: on hops this short
// one bit of a sine or cosine moves the measured length by centimetres.
std::string random_walk_gpx() {
    std::string gpx = "<gpx><trk><trkseg>\n";
    uint64_t state = 88172645463325252u;
    double lat = 48.0, lon = 11.0;
    char line[96];
    for (int i = 0; i < 20000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        lat += static_cast<double>(state % 201) * 1e-8 - 1e-6;
        lon += static_cast<double>(state / 201 % 201) * 1e-8 - 1e-6;
        std::snprintf(line, sizeof line, "<trkpt lat=\"%.7f\" lon=\"%.7f\"/>\n", lat, lon);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

}  // namespace

// The glibc on x86-64 picks other sine and cosine code on processors
// without FMA (glibc before 2.33 names them AVX2_Usable and FMA_Usable;
// names it does not know are passed over). A build on the C library's
// functions prints another track length for this walk; with its own
// functions the program must not notice.
TEST_F(Marovin, SameBytesWithEitherMathLibraryVariant) {
    if (!test_support::reference_libc) GTEST_SKIP() << "no glibc here";
    write("t.gpx", random_walk_gpx());
    test_support::RunResult plain = run(MAROVIN_PATH, {"t.gpx", "f1.rt2", "b1.rt2"});
    test_support::RunResult without_fma =
        run(MAROVIN_PATH, {"t.gpx", "f2.rt2", "b2.rt2"},
            {"GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-AVX2_Usable,-FMA_Usable"});
    ASSERT_EQ(0, plain.exit_code);
    ASSERT_EQ(0, without_fma.exit_code);
    std::string progress = plain.stdout_bytes.substr(plain.stdout_bytes.find("Start:"));
    EXPECT_EQ(progress, without_fma.stdout_bytes.substr(without_fma.stdout_bytes.find("Start:")));
    EXPECT_EQ(read("f1.rt2"), read("f2.rt2"));
}
