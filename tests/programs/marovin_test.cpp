// Marovin end to end: a whole conversion and a file with no track points.
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
