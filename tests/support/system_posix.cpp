// The test helpers that differ between systems, for POSIX systems with
// glibc: programs started with posix_spawn, terminals from forkpty.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "tests/support/test_support.h"

extern char** environ;

namespace test_support {

const bool reference_libc = true;
const bool on_windows = false;

namespace {

// The command line that starts program: in a cross build the emulator
// and its options come first (TEST_EMULATOR, words separated by blanks).
std::vector<std::string> command_of(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> words;
    std::istringstream emulator(TEST_EMULATOR);
    for (std::string word; emulator >> word;) words.push_back(word);
    words.push_back(program);
    words.insert(words.end(), args.begin(), args.end());
    return words;
}

std::vector<char*> argv_of(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

RunResult run_binary(const std::string& program, const std::vector<std::string>& args,
                     const std::string& cwd, const std::vector<std::string>& environment) {
    TempDir scratch;
    std::string out_path = scratch.file("stdout");
    std::vector<std::string> words = command_of(program, args);
    std::vector<char*> argv = argv_of(words);
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) entries.push_back(*entry);
    entries.insert(entries.end(), environment.begin(), environment.end());
    std::vector<char*> envp = argv_of(entries);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid;
    RunResult result{-1, ""};
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.stdout_bytes = read_file(out_path);
    return result;
}

std::optional<std::string> run_on_terminal(const std::string& program,
                                           const std::vector<std::string>& args,
                                           const std::string& cwd, std::string* why_not) {
    std::vector<std::string> words = command_of(program, args);
    std::vector<char*> argv = argv_of(words);
    int master;
    termios raw{};
    cfmakeraw(&raw);
    pid_t pid = forkpty(&master, nullptr, &raw, nullptr);
    // A root without /dev/pts, or one whose pseudo-terminals are used up.
    if (pid < 0) {
        *why_not = std::string("no pseudo-terminal could be opened: ") + std::strerror(errno);
        return std::nullopt;
    }
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(127);
        execvp(argv[0], argv.data());
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

std::FILE* temporary_file() {
    std::FILE* stream = std::tmpfile();
    if (stream != nullptr) return stream;
    std::fputs("test support: no temporary file could be made\n", stderr);
    std::abort();
}

}  // namespace test_support
