// On a terminal the progress line is flushed as it goes; the bytes printed
// must be the same as into a file.
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "tests/programs/program_test.h"

namespace {

// Runs Tolvek in dir with standard output on a pseudo-terminal that passes
// bytes through unchanged; returns what the terminal received.
std::string run_on_terminal(const std::string& dir, const std::vector<std::string>& args) {
    int master;
    termios raw{};
    cfmakeraw(&raw);
    pid_t pid = forkpty(&master, nullptr, &raw, nullptr);
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        std::vector<char*> argv = {const_cast<char*>(TOLVEK_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(TOLVEK_PATH, argv.data());
        _exit(127);
    }
    std::string received;
    char chunk[4096];
    for (;;) {
        ssize_t got = read(master, chunk, sizeof chunk);
        if (got <= 0) break;  // EIO once the program has ended
        received.append(chunk, static_cast<size_t>(got));
    }
    waitpid(pid, nullptr, 0);
    close(master);
    return received;
}

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
    std::string on_terminal = run_on_terminal(dir.path(), {"t.log", "f.rt2", "b.rt2"});
    test_support::RunResult to_file = run(TOLVEK_PATH, {"t.log", "f.rt2", "b.rt2"});
    EXPECT_EQ(0, to_file.exit_code);
    EXPECT_GT(to_file.stdout_bytes.size(), 2000u);
    EXPECT_EQ(to_file.stdout_bytes, on_terminal);
}

}  // namespace
