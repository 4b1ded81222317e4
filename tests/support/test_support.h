// Helpers shared by the unit and end-to-end tests: byte streams, file
// contents, captured standard output, aborts and program runs. They use
// only the standard library and the core's platform layer, so the same
// tests run on every system.
#ifndef TESTS_SUPPORT_TEST_SUPPORT_H
#define TESTS_SUPPORT_TEST_SUPPORT_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/input_stream.h"
#include "core/track_point.h"

namespace test_support {

// True where the tests run against glibc, whose strtod and printf are the
// reference for the number reader and writer; elsewhere those comparisons
// are skipped and the tables of expected bytes speak alone.
extern const bool reference_libc;

// True in the Windows build, where some faults (a full device, a
// terminal) cannot be provoked.
extern const bool on_windows;

// The bits of a double, to compare results exactly (NaN included).
uint64_t bits_of(double value);

// A seekable temporary stream holding bytes, positioned at its start.
std::FILE* stream_of(const std::string& bytes);

// An input stream over the bytes, as a reader reads its input.
std::unique_ptr<core::InputStream> input_of(const std::string& bytes);

// Puts a stream of the bytes into the input_stream slot, closing what was
// there; close_input_slot empties it.
void fill_input_slot(const std::string& bytes);
void close_input_slot();

// Everything from the start of stream to its end; the position is kept.
std::string contents_of(std::FILE* stream);

// Whole files by UTF-8 name.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
void make_directory(const std::string& path);

// A point at the given degrees, as a reader fills it.
core::TrackPoint point_at(double lat_deg, double lon_deg);

// The three header lines of a forward and of a backward route.
std::string forward_header();
std::string backward_header();

// Runs work with the programs' standard output going to a file and
// returns what it printed.
std::string capture_stdout(const std::function<void()>& work);

// Runs work, which must end the run with exit_code after printing exactly
// message. The end is caught in this process: the stream slots are
// closed by then, as the run leaves them.
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

// Starts program with args (UTF-8) in directory cwd, standard output to a
// file and standard input empty, and waits for it; environment holds
// "NAME=value" entries added to the test's own. In a cross build the
// program runs under the same emulator as the tests.
RunResult run_binary(const std::string& program, const std::vector<std::string>& args,
                     const std::string& cwd, const std::vector<std::string>& environment = {});

// Runs program like run_binary but with standard output on a terminal
// that passes bytes through unchanged, and returns what it received;
// nothing where the system has no such terminal, or where none can be
// opened, with the reason in *why_not.
std::optional<std::string> run_on_terminal(const std::string& program,
                                           const std::vector<std::string>& args,
                                           const std::string& cwd, std::string* why_not);

// An empty file open for reading and writing in binary mode, removed when
// it is closed; stops the test program with a message if there is none.
// (The C library's tmpfile is no good on Windows: it makes its file in the
// root of the drive, where a user may not write, and under Wine it fails
// now and then when two test programs run at once.)
std::FILE* temporary_file();

}  // namespace test_support

#endif
