// Helpers shared by the unit and end-to-end tests: byte streams, file
// contents, captured standard output, aborts and program runs.
#ifndef TESTS_SUPPORT_TEST_SUPPORT_H
#define TESTS_SUPPORT_TEST_SUPPORT_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/track_point.h"

namespace test_support {

// A seekable temporary stream holding bytes, positioned at its start.
std::FILE* stream_of(const std::string& bytes);

// Everything from the start of stream to its end; the position is kept.
std::string contents_of(std::FILE* stream);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

// A point at the given degrees, as a reader fills it.
core::TrackPoint point_at(double lat_deg, double lon_deg);

// The three header lines of a forward route, and a whole forward route of
// the given records.
std::string forward_header();
std::string backward_header();

// Runs work with standard output going to a file and returns what it
// printed.
std::string capture_stdout(const std::function<void()>& work);

// Runs work in a child process, which must end with exit_code after
// printing exactly message on standard output.
void expect_abort(const std::function<void()>& work, int exit_code, const std::string& message);

// A fresh directory for one test, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct RunResult {
    int exit_code;           // -1 when the program did not exit normally
    std::string stdout_bytes;
};

// Starts program with args in directory cwd, standard output to a file and
// standard input empty, and waits for it.
RunResult run_binary(const std::string& program, const std::vector<std::string>& args,
                     const std::string& cwd);

}  // namespace test_support

#endif
