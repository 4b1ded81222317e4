#include "readers/plt/plt_reader.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "core/entry.h"
#include "tests/support/reader_test.h"
#include "tests/support/test_support.h"

namespace {

using test_support::expect_abort;

const std::string header =
    "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\n"
    "Reserved 3\r\n0,2,255,Track,0,0,2,8421376\r\n3\r\n";

class PltReader : public test_support::ReaderTest {
protected:
    int parse(const std::string& line) {
        open(line + "\r\n");
        point = core::TrackPoint{};
        return plt::read_plt_line(&point);
    }
    core::TrackPoint point;
};

TEST_F(PltReader, HeadersThatPass) {
    const std::string accepted[] = {
        header,
        "OziExplorer Track Point File\n1\n2\n3\n4\n5\n",
        "OziExplorer Track Point FileXYZ\n1\n2\n3\n4\n5\n",
        "\r\n\r\nOziExplorer Track Point File Version 2.1\r\n\r\n1\r\n\n2\n3\n\r\n4\n5\n",
    };
    for (const std::string& bytes : accepted) {
        open(bytes + "55.5,82.5\n");
        plt::check_input_header();
        core::TrackPoint p{};
        EXPECT_EQ(0, plt::read_next_point(&p));
        EXPECT_EQ(55.5, p.lat_deg);
    }
}

TEST_F(PltReader, HeadersThatFail) {
    struct Case {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"", "Input file read error!\n"},
        {"\r\n\r\n", "Input file read error!\n"},
        {"OziExplorer Track Point File Version 2.1", "Input file read error!\n"},
        {"OziExplorer Track Point File\n1\n2\n3\n4\n", "Input file read error!\n"},
        {"oziexplorer track point file\n1\n2\n3\n4\n5\n", "Incorrect file format!\n"},
        {" OziExplorer Track Point File\n1\n2\n3\n4\n5\n", "Incorrect file format!\n"},
        {"\xef\xbb\xbfOziExplorer Track Point File\n1\n2\n3\n4\n5\n", "Incorrect file format!\n"},
        {"OziExplorer Track Point Fil\n1\n2\n3\n4\n5\n", "Incorrect file format!\n"},
        {"OziExplorer Waypoint File Version 1.1\n", "Incorrect file format!\n"},
    };
    for (const Case& c : cases) {
        open(c.bytes);
        expect_abort(plt::check_input_header, 2, c.message);
    }
}

TEST_F(PltReader, PointLines) {
    struct Case {
        std::string line;
        int code;
        double lat_deg, lon_deg;
        double lat_rad, lon_rad;  // as the thinning takes them
    } cases[] = {
        {"  55.123456,  82.654321,0,  500", 0, 55.123456, 82.654321, 0.9620858022782234, 1.442590042450292},
        {"-33.75,-151.2", 0, -33.75, -151.2, -0.5890486225480862, -2.638937829015426},
        {"abc,def", 0, 0.0, 0.0, 0.0, 0.0},
        {"100,-370", 0, 100.0, -370.0, 1.7453292519943295, -6.457718232379019},
        {"-100,370,1,2", 0, -100.0, 370.0, -1.7453292519943295, 6.457718232379019},
        {"1e1,2.5e2", 0, 10.0, 250.0, 0.17453292519943295, 4.363323129985824},
        {"55,5,82,5", 0, 55.0, 5.0, 0.9599310885968813, 0.08726646259971647},
        {"55.5,\t82.5", 0, 55.5, 82.5, 0.9686577348568529, 1.4398966328953218},
        {"55.1234565", 1, 0, 0, 0.0, 0.0},
        {"100.5,10", 3, 0, 0, 0.0, 0.0},
        {"-100.0001,10", 3, 0, 0, 0.0, 0.0},
        {"10,-370.5", 3, 0, 0, 0.0, 0.0},
        {"10,370.5", 3, 0, 0, 0.0, 0.0},
        {"nan,10", 3, 0, 0, 0.0, 0.0},
        {"10,NAN", 3, 0, 0, 0.0, 0.0},
        {"inf,10", 3, 0, 0, 0.0, 0.0},
        {"10,-infinity", 3, 0, 0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.code, parse(c.line)) << c.line;
        if (c.code != 0) continue;
        EXPECT_EQ(c.lat_deg, point.lat_deg) << c.line;
        EXPECT_EQ(c.lon_deg, point.lon_deg) << c.line;
        EXPECT_EQ(c.lat_rad, point.lat_rad) << c.line;
        EXPECT_EQ(c.lon_rad, point.lon_rad) << c.line;
    }
}

TEST_F(PltReader, LongLinesAreReadByTheirFirst150Characters) {
    // The comma at index 150 is cut off; one at 149 stays.
    EXPECT_EQ(1, parse(std::string(150, '1') + ",5"));
    EXPECT_EQ(3, parse(std::string(149, '1') + ",5"));
    EXPECT_EQ(0, parse("10," + std::string(145, ' ') + "20.5"));
    EXPECT_EQ(20.0, point.lon_deg);
}

TEST_F(PltReader, SkipsLinesWithoutAPointAndLosesAnUnterminatedLastLine) {
    open("no comma here\r\n200,1\r\n1.5,2.5\r\n3.5,4.5");
    core::TrackPoint p{};
    ASSERT_EQ(0, plt::read_next_point(&p));
    EXPECT_EQ(1.5, p.lat_deg);
    EXPECT_EQ(2.5, p.lon_deg);
    EXPECT_EQ(-1, plt::read_next_point(&p));
}

}  // namespace
