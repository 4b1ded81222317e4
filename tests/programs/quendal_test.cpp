// Quendal end to end: the header check before any route exists, and a
// whole conversion.
#include <string>

#include "tests/programs/program_test.h"

namespace {

using test_support::backward_header;
using test_support::forward_header;

const char header[] =
    "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\n"
    "Reserved 3\r\n0,2,255,Track,0,0,2,8421376\r\n4\r\n";

class Quendal : public ProgramRun {
protected:
    test_support::RunResult quendal() { return run(QUENDAL_PATH, {"t.plt", "f.rt2", "b.rt2"}); }
};

TEST_F(Quendal, ConvertsATrack) {
    write("t.plt", std::string(header) +
                       "  55.000000,  82.000000,1, 500.0,46364.3,08-Dec-26, 08:00:00\r\n"
                       "no point on this line\r\n"
                       "  55.001000,  82.000000,0, 500.0,46364.3,08-Dec-26, 08:00:10\r\n"
                       "  155.0,  82.000000,0, 500.0,46364.3,08-Dec-26, 08:00:15\r\n"
                       "  55.002000,  82.000000,0, 500.0,46364.3,08-Dec-26, 08:00:20\r\n");
    test_support::RunResult result = quendal();
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(settings_echo("t.plt", "f.rt2", "b.rt2") +
                  "Start: W,RW000001, 55.000000,  82.000000,0\r\n\r     3      2      222.4 \r\n",
              result.stdout_bytes);
    const std::string r1 = "W,RW000001, 55.000000,  82.000000,0\r\n";
    const std::string r2 = "W,RW000002, 55.002000,  82.000000,0\r\n";
    EXPECT_EQ(forward_header() + r1 + r2, read("f.rt2"));
    EXPECT_EQ(backward_header() + r2 + r1, read("b.rt2"));
}

TEST_F(Quendal, HeaderFailuresCreateNoRoute) {
    struct Case {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"", "Input file read error!\n"},
        {"OziExplorer Track Point File Version 2.1\r\nWGS 84\r\n1\r\n2\r\n",
         "Input file read error!\n"},
        {"OziExplorer Waypoint File Version 1.1\r\nWGS 84\r\n1\r\n2\r\n3\r\n4\r\n5,6\r\n",
         "Incorrect file format!\n"},
        {"lat,lon,na,alt,date-float,date,time\n39.984702,116.318417,0,492,39744.1,x,y\n",
         "Incorrect file format!\n"},
    };
    for (const Case& c : cases) {
        write("t.plt", c.bytes);
        test_support::RunResult result = quendal();
        EXPECT_EQ(2, result.exit_code) << c.message;
        EXPECT_EQ(settings_echo("t.plt", "f.rt2", "b.rt2") + c.message, result.stdout_bytes);
        EXPECT_FALSE(exists("f.rt2"));
        EXPECT_FALSE(exists("b.rt2"));
    }
}

TEST_F(Quendal, HeaderAloneIsTooShort) {
    write("t.plt", header);
    test_support::RunResult result = quendal();
    EXPECT_EQ(5, result.exit_code);
    EXPECT_EQ(settings_echo("t.plt", "f.rt2", "b.rt2") + "Too short input file!\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header(), read("f.rt2"));
}

}  // namespace
