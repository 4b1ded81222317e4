// On a terminal the progress line is flushed as it goes; the bytes printed
// must be the same as into a file.
#include <optional>
#include <string>

#include "tests/programs/program_test.h"

namespace {

TEST_F(ProgramRun, TerminalGetsTheSameBytesAsAFile) {
    std::string log;
    char line[128];
    for (int i = 0; i < 400; ++i) {
        // A zigzag, so that many waypoints print many progress lines.
        std::string body = "GPRMC,120000,A,55" + std::to_string(10 + i / 10) + "." +
                           std::to_string(100 + i % 10 * 50) + ",N,082" +
                           std::string(i % 2 ? "00.000" : "00.100") + ",E,,,,,";
        unsigned checksum = 0;
        for (unsigned char c : body) checksum ^= c;
        std::snprintf(line, sizeof line, "$%s*%02X\r\n", body.c_str(), checksum);
        log += line;
    }
    write("t.log", log);
    std::string why_not;
    std::optional<std::string> on_terminal =
        test_support::run_on_terminal(TOLVEK_PATH, {"t.log", "f.rt2", "b.rt2"}, dir.path(), &why_not);
    if (!on_terminal) GTEST_SKIP() << why_not;
    test_support::RunResult to_file = run(TOLVEK_PATH, {"t.log", "f.rt2", "b.rt2"});
    EXPECT_EQ(0, to_file.exit_code);
    EXPECT_GT(to_file.stdout_bytes.size(), 2000u);
    EXPECT_EQ(to_file.stdout_bytes, *on_terminal);
}

}  // namespace
