// Every program against the faults of files and disks: each ends with one
// message and its phase's code, and keeps what it wrote.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/programs/program_test.h"
#include "tests/support/record_builder.h"

namespace {

using test_support::forward_header;
using test_support::record;
using test_support::semicircles_of;
using test_support::signature;
using test_support::track_body;

struct Program {
    const char* name;
    const char* path;
    const char* empty_message;  // what an empty input ends with
    int empty_code;
    std::string track;          // a good input of three points
};

std::vector<Program> programs() {
    return {
        {"Tolvek", TOLVEK_PATH, "Too short input file!\n", 5,
         "$GPRMC,120000,A,5500.000,N,08200.000,E,0.0,0.0,081226,,*1B\r\n"
         "$GPRMC,120001,A,5500.060,N,08200.000,E,0.0,0.0,081226,,*1C\r\n"
         "$GPRMC,120002,A,5500.120,N,08200.000,E,0.0,0.0,081226,,*1A\r\n"},
        {"Quendal", QUENDAL_PATH, "Input file read error!\n", 2,
         "OziExplorer Track Point File Version 2.1\r\n1\r\n2\r\n3\r\n4\r\n5\r\n"
         "55.0,82.0\r\n55.001,82.0\r\n55.002,82.0\r\n"},
        {"Brisham", BRISHAM_PATH, "Input file read error!\n", 2,
         signature() + record('T', track_body("", {{semicircles_of(55.0), semicircles_of(82.0)},
                                                   {semicircles_of(55.001), semicircles_of(82.0)},
                                                   {semicircles_of(55.002), semicircles_of(82.0)}}))},
        {"Marovin", MAROVIN_PATH, "Too short input file!\n", 5,
         "<trkpt lat=\"55.0\" lon=\"82.0\"/><trkpt lat=\"55.001\" lon=\"82.0\"/>"
         "<trkpt lat=\"55.002\" lon=\"82.0\"/>"},
    };
}

const char start_line[] = "Start: W,RW000001, 55.000000,  82.000000,0\r\n";

using FaultMatrix = ProgramRun;

TEST_F(FaultMatrix, EveryProgramTheGoodTrack) {
    for (const Program& p : programs()) {
        write("in", p.track);
        test_support::RunResult result = run(p.path, {"in", "f.rt2", "b.rt2"});
        EXPECT_EQ(0, result.exit_code) << p.name;
        EXPECT_EQ(settings_echo("in", "f.rt2", "b.rt2") + start_line + "\r     3      2      222.4 \r\n",
                  result.stdout_bytes)
            << p.name;
    }
}

// Names outside ASCII reach the files as they are and print as the same
// UTF-8 bytes everywhere.
// Run without arguments, each converter names itself in its banner.
TEST_F(FaultMatrix, BannersNameTheirPrograms) {
    const struct {
        const char* name;
        const char* path;
        const char* title;
    } banners[] = {
        {"Tolvek", TOLVEK_PATH, "NMEA-log to OziExplorer .rt2 file converter"},
        {"Quendal", QUENDAL_PATH, "OziExplorer .plt to .rt2 file converter"},
        {"Brisham", BRISHAM_PATH, "Navitel .brisham to OziExplorer .rt2 file converter"},
        {"Marovin", MAROVIN_PATH, "Navitel .gpx to OziExplorer .rt2 file converter"},
    };
    for (const auto& b : banners) {
        test_support::RunResult result = run(b.path, {});
        EXPECT_EQ(1, result.exit_code) << b.name;
        EXPECT_EQ(std::string(b.title) + " V1.12 \nWritten by the route converter developers, 2026\nUsage:\n" + b.name +
                      " InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
                      "/eMAXORTERROR \n\n",
                  result.stdout_bytes);
    }
}

TEST_F(FaultMatrix, UnicodeNames) {
    const std::string input = "\u0442\u0440\u0435\u043a.dat";            // трек.dat
    const std::string forward = "\u0442\u0443\u0434\u0430.rt2";          // туда.rt2
    const std::string backward = "\u043e\u0431\u0440\u0430\u0442\u043d\u043e.rt2";  // обратно.rt2
    for (const Program& p : programs()) {
        write(input, p.track);
        test_support::RunResult result = run(p.path, {input, forward, backward, "/m1"});
        EXPECT_EQ(0, result.exit_code) << p.name;
        std::string echo = settings_echo(input, forward, backward);
        echo.replace(echo.find("5.000000"), 8, "1.000000");
        EXPECT_EQ(echo + start_line + "\r     3      2      222.4 \r\n", result.stdout_bytes) << p.name;
        const char records[] = "W,RW000001, 55.000000,  82.000000,0\r\n"
                               "W,RW000002, 55.002000,  82.000000,0\r\n";
        EXPECT_EQ(forward_header() + records, read(forward)) << p.name;
        EXPECT_EQ(test_support::backward_header() + std::string(records + 37) +
                      std::string(records, 37),
                  read(backward))
            << p.name;
    }
}

TEST_F(FaultMatrix, InputFaults) {
    make_directory("subdir");
    for (const Program& p : programs()) {
        write("empty", "");
        struct Case {
            const char* input;
            int code;
            std::string message;
        } cases[] = {
            {"missing", 2, "Input file open error!\n"},
            {"subdir", 2, "Input file open error!\n"},
            {"empty", p.empty_code, p.empty_message},
        };
        for (const Case& c : cases) {
            std::remove(dir.file("f.rt2").c_str());
            test_support::RunResult result = run(p.path, {c.input, "f.rt2", "b.rt2"});
            EXPECT_EQ(c.code, result.exit_code) << p.name << " " << c.input;
            EXPECT_EQ(settings_echo(c.input, "f.rt2", "b.rt2") + c.message, result.stdout_bytes)
                << p.name << " " << c.input;
            EXPECT_FALSE(exists("b.rt2"));
        }
    }
}

// Windows has no full device: there the cases that write to it are left
// out, with those in a folder where no file can be made (the process file
// system, which refuses new files even to the superuser the tests may run
// as).
TEST_F(FaultMatrix, OutputFaults) {
    make_directory("subdir");
    if (!test_support::on_windows) {
        link_full_device("full");
        std::filesystem::create_directory_symlink("/proc", dir.file("locked"));
    }
    for (const Program& p : programs()) {
        write("in", p.track);
        std::string converted = std::string(start_line) + "\r     3      2      222.4 \r\n";
        struct Case {
            const char* forward;
            const char* backward;
            int code;
            std::string tail;
        } cases[] = {
            {"none/f.rt2", "b.rt2", 2, "Output file open error!\n"},
            {"locked/f.rt2", "b.rt2", 2, "Output file open error!\n"},
            {"subdir", "b.rt2", 2, "Output file open error!\n"},
            {"full", "b.rt2", 2, converted + "Output file write error!\n"},
            {"f.rt2", "none/b.rt2", 3, converted + "Backward route file open error!\n"},
            {"f.rt2", "locked/b.rt2", 3, converted + "Backward route file open error!\n"},
            {"f.rt2", "subdir", 3, converted + "Backward route file open error!\n"},
            {"f.rt2", "full", 4, converted + "Backward route file write error!\n"},
        };
        for (const Case& c : cases) {
            std::string names = std::string(c.forward) + " " + c.backward;
            bool linked = names.find("full") != std::string::npos || names.find("locked") != std::string::npos;
            if (linked && test_support::on_windows) continue;
            test_support::RunResult result = run(p.path, {"in", c.forward, c.backward});
            EXPECT_EQ(c.code, result.exit_code) << p.name << " " << c.forward << " " << c.backward;
            EXPECT_EQ(settings_echo("in", c.forward, c.backward) + c.tail, result.stdout_bytes)
                << p.name << " " << c.forward << " " << c.backward;
            if (c.code >= 3) {
                EXPECT_EQ(forward_header() + "W,RW000001, 55.000000,  82.000000,0\r\n"
                                             "W,RW000002, 55.002000,  82.000000,0\r\n",
                          read("f.rt2"));
            }
        }
    }
}

}  // namespace
