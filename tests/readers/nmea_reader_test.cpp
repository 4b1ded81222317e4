#include "readers/nmea/nmea_reader.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "core/entry.h"
#include "tests/support/reader_test.h"
#include "tests/support/test_support.h"

namespace {

// "$" + body + "*" + the XOR of the body in two upper-case hex digits.
std::string sentence(const std::string& body) {
    unsigned checksum = 0;
    for (unsigned char c : body) checksum ^= c;
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", checksum);
    return "$" + body + tail;
}

class NmeaReader : public test_support::ReaderTest {
protected:
    int parse(const std::string& line) {
        open(line + "\r\n");
        point = core::TrackPoint{};
        return nmea::read_rmc_line(&point);
    }
    core::TrackPoint point;
};

TEST(VerifyNmeaChecksum, Codes) {
    const std::string body = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
    struct Case {
        std::string line;
        int code;
    } cases[] = {
        {body + "*6A", 0}, {body + "*6a", 0},  {body + "* 6A", 0}, {body + "*6AZZ", 0},
        {body + "*06A", 0}, {body + "*0x6A", 0}, {body + "*6B", 4}, {body + "*", 4},
        {body + "*G", 4},  {body, 2},          {body.substr(1) + "*6A", 1},
        {"$*00", 0},       {"$*", 4},          {"$* 0", 3},         {"$*+0", 3},
        {body + "*16A", 4},
    };
    for (const Case& c : cases) EXPECT_EQ(c.code, nmea::verify_nmea_checksum(c.line.c_str())) << c.line;
}

// The XOR runs eight characters at a time: sentences of every length and
// every place of the first '*', with its checksum right and one bit off.
TEST(VerifyNmeaChecksum, EveryLengthAndStarPosition) {
    std::mt19937_64 random(183);
    const char characters[] = "GPRMC,.0123456789ANSEW-*\x7f\x80\xfe";
    for (int n = 0; n < 20000; ++n) {
        std::string line = "$";
        size_t length = random() % 150;
        for (size_t i = 0; i < length; ++i) line += characters[random() % (sizeof characters - 1)];
        size_t star = line.find('*', 1);
        if (star == std::string::npos) {
            EXPECT_EQ(2, nmea::verify_nmea_checksum(line.c_str())) << line;
            line += '*';
            star = line.size() - 1;
        }
        unsigned checksum = 0;
        for (size_t i = 1; i < star; ++i) checksum ^= static_cast<unsigned char>(line[i]);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", checksum);
        std::string right = line.substr(0, star + 1) + hex;
        std::snprintf(hex, sizeof hex, "%02X", checksum ^ 1);
        std::string wrong = line.substr(0, star + 1) + hex;
        ASSERT_EQ(0, nmea::verify_nmea_checksum(right.c_str())) << right;
        ASSERT_EQ(4, nmea::verify_nmea_checksum(wrong.c_str())) << wrong;
    }
}

TEST_F(NmeaReader, AcceptedSentences) {
    struct Case {
        std::string line;
        double lat_deg, lon_deg;
        double lat_rad, lon_rad;  // as the thinning takes them
    } cases[] = {
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 48.1173, 11.516666666666667,
         0.8398053121698675, 0.20100375218801364},
        {"$GPRMC,123519,A,3345.000,S,15112.000,W,,,230394,,*17", -33.75, -151.2,
         -0.5890486225480862, -2.638937829015426},
        {sentence("GPRMC,123519,A,9960.000,N,36960.000,E,,,,,"), 100.0, 370.0, 1.7453292519943295, 6.457718232379019},
        {sentence("GPRMC,123519,A,9960.000,S,36960.000,W,,,,,"), -100.0, -370.0,
         -1.7453292519943295, -6.457718232379019},
        {sentence("GPRMC,1235,A,0000.000,N,00000.000,E,"), 0.0, 0.0, 0.0, 0.0},
        {sentence("GPRMC,123519.25,A,5530.5,N,08215,E,"), 55.508333333333333, 82.25,
         0.9688031789611857, 1.435533309765336},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(0, parse(c.line)) << c.line;
        EXPECT_EQ(c.lat_deg, point.lat_deg) << c.line;
        EXPECT_EQ(c.lon_deg, point.lon_deg) << c.line;
        EXPECT_EQ(c.lat_rad, point.lat_rad) << c.line;
        EXPECT_EQ(c.lon_rad, point.lon_rad) << c.line;
    }
}

TEST_F(NmeaReader, MinutesAreConvertedInExtendedPrecision) {
    // In double arithmetic 55 + 15.687 / 60 gives 55.261449999999996.
    ASSERT_EQ(0, parse(sentence("GPRMC,123519,A,5515.687,N,01131.000,E,")));
    EXPECT_EQ(55.261450000000004, point.lat_deg);
}

TEST_F(NmeaReader, SkippedLines) {
    struct Case {
        std::string line;
        int code;
    } cases[] = {
        {"$GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*74", 1},
        {" $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 1},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", 1},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B", 2},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", 2},
        {"$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7D", 10},
        {"$GPRMC,,V,,,,,,,,,,N*53", 10},
        {sentence("GPRMC,123,A,4807.038,N,01131.000,E,"), 10},
        {sentence("GPRMC,123519,AA,4807.038,N,01131.000,E,"), 10},
        {sentence("GPRMC,123519,,4807.038,N,01131.000,E,"), 10},
        {sentence("GPRMC,12"), 3},
        {sentence("GPRMC,1235\x01" "9,A,4807.038,N,01131.000,E,"), 3},
        {sentence("GPRMC,1235\xc3\xa9,A,4807.038,N,01131.000,E,"), 3},
        {sentence("GPRMC,123519,A,4807.038,X,01131.000,E,"), 3},
        {sentence("GPRMC,123519,A,4807.038,NN,01131.000,E,"), 3},
        {sentence("GPRMC,123519,A,4807.038"), 3},
        {sentence("GPRMC,123519,A,,N,01131.000,E,"), 3},
        {sentence("GPRMC,123519,A,ab07.038,N,01131.000,E,"), 3},
        {sentence("GPRMC,123519,A,4"), 3},
        {sentence("GPRMC,123519,A,9961.000,N,01131.000,E,"), 3},
        {sentence("GPRMC,123519,A,4807.038,N,36961.000,E,"), 3},
        {sentence("GPRMC,123519,A,4807.038,N,36961.000,W,"), 3},
        {sentence("GPRMC,123519,A,48nan,N,01131.000,E,"), 3},
        {sentence("GPRMC,123519,A,4807.038,N,01131.000,E"), 4},
        {sentence("GPRMC,123519,A,4807.038,N,01131.000,X,"), 4},
        {sentence("GPRMC,123519,A,4807.038,N,,E,"), 4},
        {sentence("GPRMC,123519,A,4807.038,N,x1131.000,E,"), 4},
        {sentence("GPRMC,123519,A,4807.038,N,01"), 4},
        {sentence("GPRMC,123519,A,4807.038,N,01131.0\x7f" "\x80,E,"), 4},
    };
    for (const Case& c : cases) EXPECT_EQ(c.code, parse(c.line)) << c.line;
}

TEST_F(NmeaReader, ChecksumBeyondTheCapacityIsLost) {
    std::string body = "GPRMC,123519,A,4807.038,N,01131.000,E,";
    std::string padded = body + std::string(146 - body.size(), '0');
    EXPECT_EQ(0, parse(sentence(padded)));         // the line is 150 characters
    EXPECT_EQ(2, parse(sentence(padded + "000")));  // "*" at index 150
}

TEST_F(NmeaReader, ReadNextPointSkipsToTheNextSentenceAndEndsAtTheLastTerminator) {
    open(
        "$GPGSV,1*00\r\n"
        "$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7D\r\n"
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
        "$GPRMC,123519,A,3345.000,S,15112.000,W,,,230394,,*17");
    core::TrackPoint p{};
    ASSERT_EQ(0, nmea::read_next_point(&p));
    EXPECT_EQ(48.1173, p.lat_deg);
    EXPECT_EQ(-1, nmea::read_next_point(&p));
}

}  // namespace
