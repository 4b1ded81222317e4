// rt2gpx end to end: a route as GPX, names that need care, and the inputs
// that are not routes, none of which may leave a GPX file behind.
#include <string>
#include <vector>

#include "tests/programs/program_test.h"

namespace {

using test_support::forward_header;

class Rt2gpx : public ProgramRun {
protected:
    test_support::RunResult rt2gpx(const std::string& route = "r.rt2", const std::string& gpx = "r.gpx") {
        return run(RT2GPX_PATH, {route, gpx});
    }
    static std::string echo(const std::string& route = "r.rt2", const std::string& gpx = "r.gpx") {
        return "Route file: " + route + "\nGPX route file: " + gpx + "\n";
    }
};

const char gpx_head[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"rt2gpx\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
    "  <rte>\n";

TEST_F(Rt2gpx, WritesTheRouteWithItsDigitsAndNames) {
    write("r.rt2", forward_header() + "W,RW000001, 55.030200,  82.920400,0\r\n" +
                       "W,RW000002, -1.500000,-179.999999,0\r\n");
    test_support::RunResult result = rt2gpx();
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(echo() + "Waypoints: 2\n", result.stdout_bytes);
    EXPECT_EQ(std::string(gpx_head) + "    <name>ForwardRoute</name>\n" +
                  "    <rtept lat=\"55.030200\" lon=\"82.920400\"><name>RW000001</name></rtept>\n" +
                  "    <rtept lat=\"-1.500000\" lon=\"-179.999999\"><name>RW000002</name></rtept>\n" +
                  "  </rte>\n</gpx>\n",
              read("r.gpx"));
    EXPECT_FALSE(exists("r.gpx.tmp"));
}

// A route made elsewhere: LF line ends, a name of its own with markup
// characters, UTF-8 and a Latin-1 byte, short numbers, more fields, an
// empty line, a waypoint without a name; and a route with no waypoints.
TEST_F(Rt2gpx, TakesRoutesMadeElsewhere) {
    write("r.rt2", "H1,OziExplorer CE Route2 File Version 1.0\nH2,WGS 84\nH3,Lake & \"Hut\",desc,0\n"
                   "W,<Caf\xc3\xa9>,1,-2.5,0,extra\n\nW,Br\xfc" "cke,0.25,180\r\nW,,-90,0\n");
    test_support::RunResult result = rt2gpx();
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(echo() + "Waypoints: 3\n", result.stdout_bytes);
    EXPECT_EQ(std::string(gpx_head) + "    <name>Lake &amp; &quot;Hut&quot;</name>\n" +
                  "    <rtept lat=\"1\" lon=\"-2.5\"><name>&lt;Caf\xc3\xa9&gt;</name></rtept>\n" +
                  "    <rtept lat=\"0.25\" lon=\"180\"><name>Br\xc3\xbc" "cke</name></rtept>\n" +
                  "    <rtept lat=\"-90\" lon=\"0\"></rtept>\n  </rte>\n</gpx>\n",
              read("r.gpx"));

    write("e.rt2", forward_header());
    result = rt2gpx("e.rt2", "e.gpx");
    EXPECT_EQ(echo("e.rt2", "e.gpx") + "Waypoints: 0\n", result.stdout_bytes);
    EXPECT_EQ(std::string(gpx_head) + "    <name>ForwardRoute</name>\n  </rte>\n</gpx>\n", read("e.gpx"));
}

// Every refused input ends with code 2 and leaves a GPX file that was
// there before as it was, and no temporary file.
TEST_F(Rt2gpx, RefusesWhatIsNotARoute) {
    const std::string record = "W,RW000001, 55.030200,  82.920400,0\r\n";
    const struct {
        const char* bytes;  // nullptr: no file
        std::string route;  // after the header, where bytes is ""
        const char* message;
    } cases[] = {
        {nullptr, "", "Input file open error!\n"},
        {"", "", "Incorrect file format!\n"},
        {"H1,OziExplorer CE Route File Version 1.0\r\nH2,WGS 84\r\nH3,R,,0\r\n", "", "Incorrect file format!\n"},
        {"H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\n", "", "Incorrect file format!\n"},
        {"H1,OziExplorer CE Route2 File Version 1.0\r\nH2,Pulkovo 1942\r\nH3,R,,0\r\n", "",
         "Route datum is not WGS 84!\n"},
        {"", record + "X,RW000002, 55.030200,  82.920400,0\r\n", "Invalid route record in line 5!\n"},
        {"", "W,RW000001, 55,030200,  82,920400,0\r\n", "Invalid route record in line 4!\n"},
        {"", "W,RW000001, 55.0302 1,  82.920400,0\r\n", "Invalid route record in line 4!\n"},
        {"", "W,RW000001, 1e1,  82.920400,0\r\n", "Invalid route record in line 4!\n"},
        {"", "W,RW000001, 90.000001,  82.920400,0\r\n", "Invalid route record in line 4!\n"},
        {"", "W,RW000001, 55.030200,-180.000001,0\r\n", "Invalid route record in line 4!\n"},
        {"", "W,RW000001, 55.030200\r\n", "Invalid route record in line 4!\n"},
        {"", "W,RW\x01, 55.030200,  82.920400,0\r\n", "Invalid route record in line 4!\n"},
        {"", "W," + std::string(300, 'N') + ", 55.030200,  82.920400,0\r\n", "Invalid route record in line 4!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message + c.route);
        if (c.bytes != nullptr) write("r.rt2", *c.bytes != 0 || c.route.empty() ? c.bytes : forward_header() + c.route);
        write("r.gpx", "kept");
        test_support::RunResult result = rt2gpx();
        EXPECT_EQ(2, result.exit_code);
        EXPECT_EQ(echo() + c.message, result.stdout_bytes);
        EXPECT_EQ("kept", read("r.gpx"));
        EXPECT_FALSE(exists("r.gpx.tmp"));
    }
}

TEST_F(Rt2gpx, RefusesOutputItCannotWriteAndOtherCommandLines) {
    write("r.rt2", forward_header());
    test_support::RunResult result = rt2gpx("r.rt2", "no-such-folder/r.gpx");
    EXPECT_EQ(2, result.exit_code);
    EXPECT_EQ(echo("r.rt2", "no-such-folder/r.gpx") + "Output file open error!\n", result.stdout_bytes);

    make_directory("folder.gpx");
    result = rt2gpx("r.rt2", "folder.gpx");
    EXPECT_EQ(2, result.exit_code);
    EXPECT_EQ(echo("r.rt2", "folder.gpx") + "Output file rename error!\n", result.stdout_bytes);
    EXPECT_FALSE(exists("folder.gpx.tmp"));

    const char banner[] = "OziExplorer .rt2 to GPX route converter V1.12 \n"
                          "Written by the route converter developers, 2026\nUsage:\nrt2gpx ROUTE.rt2 ROUTE.gpx \n\n";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"r.rt2"},
                                                 std::vector<std::string>{"r.rt2", "a.gpx", "b.gpx"}}) {
        result = run(RT2GPX_PATH, args);
        EXPECT_EQ(1, result.exit_code);
        EXPECT_EQ(banner, result.stdout_bytes);
    }
}

}  // namespace
