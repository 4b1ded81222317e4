// Implementation of the shared test helpers.
#include "tests/support/test_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test_support {

std::FILE* stream_of(const std::string& bytes) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    return stream;
}

std::string contents_of(std::FILE* stream) {
    std::fflush(stream);
    long position = std::ftell(stream);
    std::rewind(stream);
    std::string bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) bytes.append(chunk, got);
    std::fseek(stream, position, SEEK_SET);
    return bytes;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

core::TrackPoint point_at(double lat_deg, double lon_deg) {
    core::TrackPoint point{};
    core::set_point_degrees(&point, lat_deg, lon_deg);
    return point;
}

std::string forward_header() {
    return "H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\nH3,ForwardRoute,,0\r\n";
}

std::string backward_header() {
    return "H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\nH3,BackwardRoute,,0\r\n";
}

std::string capture_stdout(const std::function<void()>& work) {
    std::fflush(stdout);
    std::FILE* sink = std::tmpfile();
    int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));
    work();
    std::fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    std::string printed = contents_of(sink);
    std::fclose(sink);
    return printed;
}

void expect_abort(const std::function<void()>& work, int exit_code, const std::string& message) {
    char path[] = "/tmp/abort_stdout_XXXXXX";
    int fd = mkstemp(path);
    close(fd);
    std::fflush(stdout);
    EXPECT_EXIT(
        {
            std::freopen(path, "w", stdout);
            work();
        },
        ::testing::ExitedWithCode(exit_code), "");
    EXPECT_EQ(message, read_file(path));
    std::remove(path);
}

TempDir::TempDir() {
    char pattern[] = "/tmp/route_test_XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "";
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

RunResult run_binary(const std::string& program, const std::vector<std::string>& args,
                     const std::string& cwd) {
    char out_path[] = "/tmp/run_stdout_XXXXXX";
    close(mkstemp(out_path));
    std::vector<char*> argv;
    std::string name = program;
    argv.push_back(name.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path,
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    RunResult result{-1, ""};
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.stdout_bytes = read_file(out_path);
    std::remove(out_path);
    return result;
}

}  // namespace test_support
