// Tolvek as a user runs it: the command line, every phase's failure and a
// whole conversion, compared byte for byte.
#include <string>

#include "tests/programs/program_test.h"

namespace {

using test_support::backward_header;
using test_support::forward_header;

const char banner[] =
    "NMEA-log to OziExplorer .rt2 file converter V1.12 \n"
    "Written by the route converter developers, 2026\n"
    "Usage:\n"
    "Tolvek InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n";

// Three accepted fixes 111 m apart due north, with lines to skip between.
const char three_fixes[] =
    "$GPGGA,120000,5500.000,N,08200.000,E,1,08,0.9,100.0,M,0.0,M,,*7B\r\n"
    "$GPRMC,120000,A,5500.000,N,08200.000,E,0.0,0.0,081226,,*1B\r\n"
    "$GPRMC,120001,V,5500.030,N,08200.000,E,0.0,0.0,081226,,*0E\r\n"
    "$GPRMC,120001,A,5500.060,N,08200.000,E,0.0,0.0,081226,,*1C\r\n"
    "$GNRMC,120001,A,5500.090,N,08200.000,E,0.0,0.0,081226,,*0D\r\n"
    "$GPRMC,120002,A,5500.120,N,08200.000,E,0.0,0.0,081226,,*1A\r\n";

const char record_1[] = "W,RW000001, 55.000000,  82.000000,0\r\n";
const char record_2[] = "W,RW000002, 55.002000,  82.000000,0\r\n";

class Tolvek : public ProgramRun {
protected:
    test_support::RunResult tolvek(const std::vector<std::string>& args) {
        return run(TOLVEK_PATH, args);
    }
};

TEST_F(Tolvek, RefusedCommandLinesPrintTheBannerAlone) {
    const std::vector<std::vector<std::string>> refused = {
        {}, {"a", "b"}, {"a", "b", "c", "d"}, {"t.log", "f.rt2", "/q5"}, {"t.log", "-", "f.rt2"},
        {"/home/me/t.log", "f.rt2", "b.rt2"},
    };
    for (const auto& args : refused) {
        test_support::RunResult result = tolvek(args);
        EXPECT_EQ(1, result.exit_code);
        EXPECT_EQ(banner, result.stdout_bytes);
    }
    EXPECT_FALSE(exists("f.rt2"));
    EXPECT_FALSE(exists("b.rt2"));
}

TEST_F(Tolvek, ConvertsALog) {
    write("t.log", three_fixes);
    test_support::RunResult result = tolvek({"t.log", "f.rt2", "b.rt2"});
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(settings_echo("t.log", "f.rt2", "b.rt2") + "Start: " + record_1 +
                  "\r     3      2      222.4 \r\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header() + record_1 + record_2, read("f.rt2"));
    EXPECT_EQ(backward_header() + record_2 + record_1, read("b.rt2"));
}

TEST_F(Tolvek, OptionsAreEchoedAndRoutesGetDefaultNames) {
    write("t.log", three_fixes);
    test_support::RunResult result = tolvek({"-m0", "t.log", "/X12.5", "/a90", "/E1e3"});
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ("Input  file: t.log \nForward output file: forward.rt2 \n"
              "Backward output file: backward.rt2 \nMinimal distance: 0.000000 meters\n"
              "Maximal distance: 12.500000 meters\nMaximal angle: 90.000000 degrees\n"
              "Maximal orthogonal error: 1000.000000 meters\n"
              "Start: W,RW000001, 55.000000,  82.000000,0\r\n"
              "\r     3      2      222.4 \r     3      3      222.4 \r\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header() + record_1 + "W,RW000002, 55.001000,  82.000000,0\r\n" +
                  "W,RW000003, 55.002000,  82.000000,0\r\n",
              read("forward.rt2"));
}

TEST_F(Tolvek, LongFileNamesAreUsedWhole) {
    std::string name(120, 'r');
    write("t.log", three_fixes);
    test_support::RunResult result = tolvek({"t.log", name + ".f", name + ".b"});
    EXPECT_EQ(0, result.exit_code);
    EXPECT_EQ(forward_header() + record_1 + record_2, read(name + ".f"));
    EXPECT_EQ(backward_header() + record_2 + record_1, read(name + ".b"));
}

TEST_F(Tolvek, ThreeOptionsLeaveNoInputToOpen) {
    test_support::RunResult result = tolvek({"/m1", "/x2", "/a3"});
    EXPECT_EQ(2, result.exit_code);
    EXPECT_EQ("Input  file:  \nForward output file: forward.rt2 \n"
              "Backward output file: backward.rt2 \nMinimal distance: 1.000000 meters\n"
              "Maximal distance: 2.000000 meters\nMaximal angle: 3.000000 degrees\n"
              "Maximal orthogonal error: 50.000000 meters\nInput file open error!\n",
              result.stdout_bytes);
}

TEST_F(Tolvek, OpenFailuresOfTheForwardPass) {
    write("t.log", three_fixes);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"missing.log", "f.rt2", "b.rt2"}, "Input file open error!\n"},
        {{".", "f.rt2", "b.rt2"}, "Input file open error!\n"},
        {{"t.log", "no/f.rt2", "b.rt2"}, "Output file open error!\n"},
        {{"t.log", ".", "b.rt2"}, "Output file open error!\n"},
    };
    for (const Case& c : cases) {
        test_support::RunResult result = tolvek(c.args);
        EXPECT_EQ(2, result.exit_code) << c.message;
        EXPECT_EQ(settings_echo(c.args[0], c.args[1], c.args[2]) + c.message, result.stdout_bytes);
    }
    EXPECT_FALSE(exists("f.rt2"));
    EXPECT_FALSE(exists("b.rt2"));
}

TEST_F(Tolvek, FullDiskFailures) {
    if (test_support::on_windows) GTEST_SKIP() << "Windows has no full device to write to";
    write("t.log", three_fixes);
    link_full_device("full");
    std::string converted = "Start: " + std::string(record_1) + "\r     3      2      222.4 \r\n";

    test_support::RunResult result = tolvek({"t.log", "full", "b.rt2"});
    EXPECT_EQ(2, result.exit_code);
    EXPECT_EQ(settings_echo("t.log", "full", "b.rt2") + converted + "Output file write error!\n",
              result.stdout_bytes);
    EXPECT_FALSE(exists("b.rt2"));

    result = tolvek({"t.log", "f.rt2", "full"});
    EXPECT_EQ(4, result.exit_code);
    EXPECT_EQ(settings_echo("t.log", "f.rt2", "full") + converted +
                  "Backward route file write error!\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header() + record_1 + record_2, read("f.rt2"));
}

TEST_F(Tolvek, BackwardRouteThatCannotBeOpened) {
    write("t.log", three_fixes);
    test_support::RunResult result = tolvek({"t.log", "f.rt2", "no/b.rt2"});
    EXPECT_EQ(3, result.exit_code);
    EXPECT_EQ(settings_echo("t.log", "f.rt2", "no/b.rt2") + "Start: " + record_1 +
                  "\r     3      2      222.4 \r\nBackward route file open error!\n",
              result.stdout_bytes);
    EXPECT_EQ(forward_header() + record_1 + record_2, read("f.rt2"));
}

TEST_F(Tolvek, ShortTracksEndWithCodeFive) {
    const char* inputs[] = {
        "",
        "$GPRMC,120000,A,5500.000,N,08200.000,E,0.0,0.0,081226,,*1B\r\n",
        // The third fix has no line end after it and is not read.
        "$GPRMC,120000,A,5500.000,N,08200.000,E,0.0,0.0,081226,,*1B\r\n"
        "$GPRMC,120001,A,5500.060,N,08200.000,E,0.0,0.0,081226,,*1C\r\n"
        "$GPRMC,120002,A,5500.120,N,08200.000,E,0.0,0.0,081226,,*1A",
    };
    for (const char* input : inputs) {
        write("t.log", input);
        test_support::RunResult result = tolvek({"t.log", "f.rt2", "b.rt2"});
        EXPECT_EQ(5, result.exit_code);
        EXPECT_EQ(settings_echo("t.log", "f.rt2", "b.rt2") + "Too short input file!\n",
                  result.stdout_bytes);
        EXPECT_EQ(forward_header(), read("f.rt2"));
        EXPECT_FALSE(exists("b.rt2"));
    }
}

}  // namespace
